#pragma once

#include "model/repo.h"

// Records with just the fields a test sets.
inline Package package(const std::string &name, const std::string &description = {}, const std::string &architecture = {})
{
    Package p;
    p.name = name;
    p.description = description;
    p.architecture = architecture;
    return p;
}

inline Repo repoOf(const std::string &name, PackageList packages)
{
    Repo repo;
    repo.name = name;
    repo.url = "https://" + name + ".example/";
    repo.packagesURL = repo.url + "Packages";
    repo.packages = std::move(packages);
    return repo;
}
