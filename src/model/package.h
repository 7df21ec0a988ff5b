#pragma once

#include "uuid.h"

#include <QList>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// One package of a source, as read from its index. Text is kept as UTF-8: indexes and the
// store are UTF-8, and converting tens of thousands of records to UTF-16 up front would
// cost more than it saves; screens convert the few fields they show.
struct Package
{
    QUuid id = makeUuid();
    std::string name;
    std::string description;
    std::string version;
    std::string downloadURL;
    std::string architecture;
    std::optional<double> ratings;
    std::int64_t fileSize = 0;

    [[nodiscard]] std::string_view simplifiedArchitecture() const;
    [[nodiscard]] std::string shareURL() const;
};

// Implicitly shared, so a Repo (and with it a whole index) is copied in constant time.
using PackageList = QList<Package>;
