#include "commands.h"

#include "model/defaultrepos.h"
#include "model/repojson.h"
#include "model/repostore.h"
#include "search/packageorder.h"
#include "search/packagesearchindex.h"
#include "sources/firstseenstore.h"
#include "sources/packagenews.h"
#include "text/filesize.h"

#include <QTextStream>

using namespace Qt::StringLiterals;

#include <algorithm>
#include <cstdio>
#include <limits>
#include <optional>

namespace {

struct Options
{
    std::optional<QString> source;
    QString search;
    std::optional<QString> arch;
    std::optional<QString> section;
    PackageOrder::Kind sort = PackageOrder::Index;
    std::optional<double> newSinceDays;
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
        if (arg == u"--sort" && i + 1 < args.size()) {
            const qsizetype kind = QStringList{u"index"_s, u"new"_s, u"name"_s}.indexOf(args.at(++i));
            if (kind >= 0) {
                options.sort = PackageOrder::Kind(kind);
                continue;
            }
        } else if (arg == u"--new-since" && i + 1 < args.size()) {
            bool ok = false;
            const double days = args.at(++i).toDouble(&ok);
            if (ok && days >= 0 && days <= 36500) {
                options.newSinceDays = days;
                continue;
            }
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

// Puts the packages in the order asked for: newest first as the screens order them, or by
// name; with --new-since, only those that came new or updated since then, newest first.
void arrange(QList<Listed> &listed, const RepoList &repos, const Options &options, QStringList &marks)
{
    if (options.sort == PackageOrder::Index && !options.newSinceDays)
        return;
    FirstSeenStore store;
    store.load();
    std::vector<std::uint32_t> order;
    if (options.newSinceDays) {
        const double since = ReferenceDate::now() - *options.newSinceDays * 86400.0;
        QHash<const Package *, std::uint32_t> rank;
        QHash<const Package *, Novelty> novelty;
        for (const PackageNews::Arrival &arrival : PackageNews::arrivals(repos, store, since)) {
            const Package *package = &repos.at(arrival.repo).packages.at(arrival.package);
            rank.insert(package, std::uint32_t(rank.size()));
            novelty.insert(package, arrival.novelty);
        }
        QList<Listed> kept;
        for (const Listed &l : std::as_const(listed)) {
            if (rank.contains(l.package))
                kept.append(l);
        }
        std::stable_sort(kept.begin(), kept.end(),
                         [&rank](const Listed &a, const Listed &b) { return rank.value(a.package) < rank.value(b.package); });
        listed = std::move(kept);
        for (const Listed &l : std::as_const(listed))
            marks.append(PackageNews::markText(novelty.value(l.package)));
        return;
    }
    if (options.sort == PackageOrder::Newest) {
        std::vector<double> firstSeen;
        for (const Listed &l : std::as_const(listed)) {
            const std::optional<FirstSeenStore::Entry> entry = store.find(l.repo->id, *l.package);
            firstSeen.push_back(entry ? entry->time : -std::numeric_limits<double>::infinity());
        }
        order = PackageOrder::newestFirst(firstSeen);
    } else {
        std::vector<const Package *> packages;
        for (const Listed &l : std::as_const(listed))
            packages.push_back(l.package);
        order = PackageOrder::byName(packages);
    }
    QList<Listed> ordered;
    ordered.reserve(listed.size());
    for (const std::uint32_t i : order)
        ordered.append(listed.at(i));
    listed = std::move(ordered);
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
    QStringList marks;
    arrange(listed, repos, *options, marks);

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
    for (qsizetype i = 0; i < listed.size(); ++i) {
        const Package &p = *listed.at(i).package;
        out() << utf8(p.name) << '\t' << utf8(p.version) << '\t' << utf8(p.simplifiedArchitecture()) << '\t'
              << formatFileSize(p.fileSize) << '\t' << utf8(listed.at(i).repo->name);
        if (!marks.isEmpty())
            out() << '\t' << marks.at(i);
        out() << '\n';
    }
    out().flush();
    return 0;
}
