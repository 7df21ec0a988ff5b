#include "commands.h"

#include "model/defaultrepos.h"
#include "model/repojson.h"
#include "model/repostore.h"
#include "platform/userdefaults.h"

#include <QFileInfo>

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

    if (json) {
        std::string text;
        if (!RepoJson::writeRepos(repos, text)) {
            err() << "vexlo-cli: sources: the list cannot be written as JSON\n";
            return 1;
        }
        out().flush();
        std::fwrite(text.data(), 1, text.size(), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
        return unreadable ? 1 : 0;
    }

    for (const Repo &r : repos) {
        const QString updated =
            ReferenceDate::toDateTime(r.lastUpdated).toLocalTime().toString(u"yyyy-MM-dd HH:mm:ss"_s);
        out() << QString::fromStdString(r.name) << '\t' << QString::fromStdString(r.url) << '\t'
              << r.packages.size() << '\t' << updated << '\n';
    }
    out().flush();
    return unreadable ? 1 : 0;
}
