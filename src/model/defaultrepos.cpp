#include "defaultrepos.h"

#include "buildconfig.h"

#include <string_view>

RepoList defaultRepos()
{
    struct Entry
    {
        std::string_view name;
        std::string_view url;
    };
    static constexpr Entry entries[] = {
        {"Vexlo", VEXLO_OWN_SOURCE_URL},
        {"Chariz", "https://repo.chariz.com/"},
        {"Havoc", "https://havoc.app/"},
        {"Sileo", "https://repo.getsileo.app/"},
        {"opa334", "https://opa334.github.io/"},
        {"Zebra", "https://getzbra.com/repo/"},
        {"PoomSmart", "https://poomsmart.github.io/repo/"},
    };
    const double now = ReferenceDate::now();
    RepoList list;
    list.reserve(std::size(entries));
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
