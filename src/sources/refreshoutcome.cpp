#include "refreshoutcome.h"

using namespace Qt::StringLiterals;

void RefreshOutcome::begin(Repo &repo)
{
    repo.isUpdating = true;
    repo.updateProgress = 0.0;
}

void RefreshOutcome::succeed(Repo &repo, const PackageList &packages)
{
    repo.packages = packages;
    repo.lastUpdated = ReferenceDate::now();
    repo.isUpdating = false;
    repo.updateProgress = 1.0;
}

void RefreshOutcome::fail(Repo &repo)
{
    // Packages, refresh time and progress stay as they were.
    repo.isUpdating = false;
}

QString RefreshOutcome::consoleLine(const Repo &repo)
{
    return u"فشل في تحديث السورس: "_s + QString::fromStdString(repo.name);
}

QString RefreshOutcome::alertMessage(const Repo &repo)
{
    return u"فشل في جلب الحزم من السورس: "_s + QString::fromStdString(repo.name);
}
