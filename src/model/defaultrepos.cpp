#include "defaultrepos.h"

#include "buildconfig.h"

#include <string_view>
#include <vector>

RepoList defaultRepos()
{
    return defaultRepos(VEXLO_OWN_SOURCE_URL);
}

RepoList defaultRepos(std::string_view ownSourceURL)
{
    struct Entry
    {
        std::string_view name;
        std::string_view url;
    };
    const Entry own{"Vexlo", ownSourceURL};
    static constexpr Entry publicEntries[] = {
        {"Chariz", "https://repo.chariz.com/"},
        {"Havoc", "https://havoc.app/"},
        {"Sileo", "https://repo.getsileo.app/"},
        {"opa334", "https://opa334.github.io/"},
        {"Zebra", "https://getzbra.com/repo/"},
        {"PoomSmart", "https://poomsmart.github.io/repo/"},
    };
    const double now = ReferenceDate::now();
    std::vector<Entry> entries;
    if (!ownSourceURL.empty())
        entries.push_back(own);
    entries.insert(entries.end(), std::begin(publicEntries), std::end(publicEntries));

    RepoList list;
    list.reserve(qsizetype(entries.size()));
    for (const Entry &e : entries) {
        Repo r;
        r.name = std::string(e.name);
        r.url = std::string(e.url);
        // Every address of a source is its base followed by a file name.
        if (!r.url.ends_with('/'))
            r.url += '/';
        r.imageURL = r.url + "CydiaIcon.png";
        r.packagesURL = r.url + "Packages";
        r.isPinned = true;
        r.lastUpdated = now;
        r.isFixed = true;
        list.append(std::move(r));
    }
    return list;
}
