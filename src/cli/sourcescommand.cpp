#include "commands.h"

#include "model/defaultrepos.h"
#include "model/repojson.h"
#include "model/repostore.h"
#include "platform/userdefaults.h"
#include "sources/refreshoutcomestore.h"
#include "sources/releaseinfostore.h"

#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

#include <cstdio>

using namespace Qt::StringLiterals;

int Cli::sources(const QStringList &args)
{
    bool json = false;
    for (const QString &arg : args) {
        if (arg == u"--json") {
            json = true;
        } else {
            err() << "vexlo-cli: sources: unknown argument " << arg << " (see --help)\n";
            return 2;
        }
    }

    // What the main screen would show: the stored list, else the defaults. A stored list that
    // cannot be read is kept aside now (the listener names where) and fails the command.
    const std::optional<RepoList> stored = RepoStore::loadRepos();
    const QString file = UserDefaults::filePath(QString::fromUtf16(RepoStore::key));
    const bool unreadable = !stored && QFileInfo::exists(file);
    if (unreadable && !RepoStore::keepUnreadableAside())
        err() << "vexlo-cli: the stored source list could not be read, nor kept aside: " << file << Qt::endl;
    const RepoList repos = stored.value_or(defaultRepos());
    RefreshOutcomeStore outcomes;
    outcomes.load();
    ReleaseInfoStore releases;
    releases.load();

    if (json) {
        // Each source as the store writes it, with its last refresh outcome added when known.
        std::string text = "[";
        std::string one;
        for (const Repo &r : repos) {
            if (!RepoJson::writeRepo(r, one)) {
                err() << "vexlo-cli: sources: the list cannot be written as JSON\n";
                return 1;
            }
            if (const std::optional<RefreshOutcomeStore::Entry> outcome = outcomes.find(r.id)) {
                QJsonObject object{{u"result"_s, RefreshOutcomeStore::resultName(outcome->result)},
                                   {u"everSucceeded"_s, outcome->everSucceeded}};
                if (!outcome->reason.isEmpty())
                    object.insert(u"reason"_s, outcome->reason);
                one.pop_back();
                one += ",\"outcome\":" + QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString() + '}';
            }
            // What the Release said, beside the stored fields: readers of the stored form pass over it.
            if (const ReleaseInfo *info = releases.find(r.id)) {
                QJsonObject release{{u"indexMatchesRelease"_s, !info->indexMismatch()}};
                if (!info->title.isEmpty())
                    release.insert(u"title"_s, info->title);
                if (!info->description.isEmpty())
                    release.insert(u"description"_s, info->description);
                one.pop_back();
                one += ",\"release\":" + QJsonDocument(release).toJson(QJsonDocument::Compact).toStdString() + '}';
            }
            text += (text.size() > 1 ? "," : "") + one;
        }
        text += ']';
        out().flush();
        std::fwrite(text.data(), 1, text.size(), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
        return unreadable ? 1 : 0;
    }

    for (const Repo &r : repos) {
        const QString updated =
            ReferenceDate::toDateTime(r.lastUpdated).toLocalTime().toString(u"yyyy-MM-dd HH:mm:ss"_s);
        const ReleaseInfo *info = releases.find(r.id);
        out() << (info && !info->title.isEmpty() ? info->title : QString::fromStdString(r.name)) << '\t' << QString::fromStdString(r.url) << '\t'
              << r.packages.size() << '\t' << updated;
        if (const std::optional<RefreshOutcomeStore::Entry> outcome = outcomes.find(r.id)) {
            out() << '\t' << RefreshOutcomeStore::resultName(outcome->result);
            if (!outcome->reason.isEmpty())
                out() << '\t' << outcome->reason;
        }
        out() << '\n';
    }
    out().flush();
    return unreadable ? 1 : 0;
}
