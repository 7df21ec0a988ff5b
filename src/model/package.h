#pragma once

#include "packageextras.h"
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
    // Display name, icon, author, section and depiction page, when the index gives them.
    PackageExtras extras;

    [[nodiscard]] std::string_view simplifiedArchitecture() const;
    [[nodiscard]] std::string shareURL() const;

    [[nodiscard]] std::optional<std::string_view> displayName() const { return extras.get(Extra::DisplayName); }
    [[nodiscard]] std::optional<std::string_view> iconURL() const { return extras.get(Extra::IconURL); }
    [[nodiscard]] std::optional<std::string_view> author() const { return extras.get(Extra::Author); }
    [[nodiscard]] std::optional<std::string_view> section() const { return extras.get(Extra::Section); }
    [[nodiscard]] std::optional<std::string_view> depictionURL() const { return extras.get(Extra::DepictionURL); }
};

// Implicitly shared, so a Repo (and with it a whole index) is copied in constant time.
using PackageList = QList<Package>;
