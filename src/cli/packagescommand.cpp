#include "commands.h"

#include "model/defaultrepos.h"
#include "model/repojson.h"
#include "model/repostore.h"
#include "search/packagesearchindex.h"
#include "text/filesize.h"

#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <optional>

namespace {

struct Options
{
    std::optional<QString> source;
    QString search;
    std::optional<QString> arch;
    std::optional<QString> section;
    bool json = false;
};

// A package of the output with the name of its source.
struct Listed
{
    const Package *package;
    const Repo *repo;
};

std::optional<Options> readOptions(const QStringList &args)
{
    Options options;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        if (arg == u"--json") {
            options.json = true;
            continue;
        }
        if ((arg == u"--source" || arg == u"--search" || arg == u"--arch" || arg == u"--section") && i + 1 < args.size()) {
            const QString &value = args.at(++i);
            if (arg == u"--source")
                options.source = value;
            else if (arg == u"--search")
                options.search = value;
            else if (arg == u"--arch")
                options.arch = value;
            else
                options.section = value;
            continue;
        }
        Cli::err() << "vexlo-cli: packages: unknown or incomplete argument " << arg << " (see --help)\n";
        return std::nullopt;
    }
    return options;
}

// The packages of one source as its detail screen filters them (names only), or of all sources
// as the all-packages screen does (names and descriptions).
void collect(const Repo &repo, unsigned fields, const Options &options, QList<Listed> &out)
{
    const std::string arch = options.arch.value_or(QString()).toStdString();
    const std::string section = options.section.value_or(QString()).toStdString();
    const auto take = [&](const Package &p) {
        if ((!options.arch || p.simplifiedArchitecture() == arch) && (!options.section || p.section() == section))
            out.append({&p, &repo});
    };
    if (options.search.isEmpty()) {
        for (const Package &p : repo.packages)
            take(p);
        return;
    }
    const PackageSearchIndex index(repo.packages, fields);
    for (const std::uint32_t i : index.search(PackageSearchIndex::fold(options.search)))
        take(repo.packages.at(i));
}

} // namespace

int Cli::packages(const QStringList &args)
{
    const std::optional<Options> options = readOptions(args);
    if (!options)
        return 2;
    const RepoList repos = RepoStore::loadRepos().value_or(defaultRepos());

    QList<Listed> listed;
    if (options->source) {
        const std::string name = options->source->toStdString();
        const auto repo = std::find_if(repos.cbegin(), repos.cend(), [&name](const Repo &r) { return r.name == name; });
        if (repo == repos.cend()) {
            err() << "vexlo-cli: packages: no source named " << *options->source << '\n';
            return 1;
        }
        collect(*repo, PackageSearchIndex::Name, *options, listed);
    } else {
        for (const Repo &repo : repos)
            collect(repo, PackageSearchIndex::Name | PackageSearchIndex::Description, *options, listed);
    }

    if (options->json) {
        std::string text = "[";
        std::string one;
        for (const Listed &l : listed) {
            if (!RepoJson::writePackage(*l.package, one)) {
                err() << "vexlo-cli: packages: a package cannot be written as JSON\n";
                return 1;
            }
            if (text.size() > 1)
                text += ',';
            text += one;
        }
        text += "]\n";
        out().flush();
        std::fwrite(text.data(), 1, text.size(), stdout);
        std::fflush(stdout);
        return 0;
    }

    const auto utf8 = [](std::string_view s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); };
    for (const Listed &l : listed) {
        const Package &p = *l.package;
        out() << utf8(p.name) << '\t' << utf8(p.version) << '\t' << utf8(p.simplifiedArchitecture()) << '\t'
              << formatFileSize(p.fileSize) << '\t' << utf8(l.repo->name) << '\n';
    }
    out().flush();
    return 0;
}
