#pragma once

#include "package.h"
#include "referencedate.h"

#include <optional>
#include <string>
#include <vector>

// One package source. Dates are seconds since 2001-01-01 UTC, held as the stored double so
// that a document reads back bit for bit; convert with referencedate.h only for display.
struct Repo
{
    QUuid id = makeUuid();
    std::string name;
    std::string url;
    std::string imageURL;
    std::string packagesURL;
    PackageList packages;
    bool isPinned = false;
    double lastUpdated = ReferenceDate::now();
    std::optional<std::string> developer;
    std::optional<double> releaseDate;
    std::optional<double> ratings;
    std::optional<std::vector<std::string>> socialMediaLinks;
    bool isFixed = false;
    bool isUpdating = false;
    double updateProgress = 0.0;
};

using RepoList = QList<Repo>;
