#include "refreshoutcome.h"

#include <utility>

using namespace Qt::StringLiterals;

void RefreshOutcome::begin(Repo &repo)
{
    repo.isUpdating = true;
    repo.updateProgress = 0.0;
}

PackageList RefreshOutcome::succeed(Repo &repo, PackageList packages)
{
    PackageList previous = std::exchange(repo.packages, std::move(packages));
    repo.lastUpdated = ReferenceDate::now();
    repo.isUpdating = false;
    repo.updateProgress = 1.0;
    return previous;
}

void RefreshOutcome::fail(Repo &repo)
{
    // Packages and refresh time stay as they were; what arrived of the failed index counts
    // for nothing, so the progress is where the start put it.
    repo.isUpdating = false;
    repo.updateProgress = 0.0;
}

QString RefreshOutcome::consoleLine(const Repo &repo)
{
    return u"فشل في تحديث السورس: "_s + QString::fromStdString(repo.name);
}

QString RefreshOutcome::alertMessage(const Repo &repo)
{
    return alertMessage(QString::fromStdString(repo.name));
}

QString RefreshOutcome::alertMessage(const QString &shownName)
{
    return u"فشل في جلب الحزم من السورس: "_s + shownName;
}
