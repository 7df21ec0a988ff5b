#pragma once

#include "model/package.h"

#include <QByteArray>

#include <charconv>
#include <string_view>

// Just enough of a Packages index reader to feed screens with real records in tests and
// pictures: the seven fields the screens use, stanzas split at blank lines, CRLF tolerated.
namespace MinimalIndex {

inline PackageList read(const QByteArray &index, std::string_view base = "https://example.org/")
{
    PackageList packages;
    Package current;
    bool any = false;
    auto finish = [&] {
        if (any && !current.name.empty())
            packages.append(current);
        current = Package{};
        any = false;
    };
    std::string_view rest(index.constData(), std::size_t(index.size()));
    while (!rest.empty()) {
        const std::size_t eol = rest.find('\n');
        std::string_view line = rest.substr(0, eol);
        rest = eol == std::string_view::npos ? std::string_view() : rest.substr(eol + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty()) {
            finish();
            continue;
        }
        const std::size_t colon = line.find(": ");
        if (colon == std::string_view::npos)
            continue;
        const std::string_view key = line.substr(0, colon);
        const std::string_view value = line.substr(colon + 2);
        any = true;
        if (key == "Package")
            current.name = value;
        else if (key == "Description")
            current.description = value;
        else if (key == "Version")
            current.version = value;
        else if (key == "Architecture")
            current.architecture = value;
        else if (key == "Filename")
            current.downloadURL = std::string(base) + std::string(value);
        else if (key == "Size")
            std::from_chars(value.data(), value.data() + value.size(), current.fileSize);
        else if (key == "Ratings") {
            double rating = 0;
            if (std::from_chars(value.data(), value.data() + value.size(), rating).ec == std::errc())
                current.ratings = rating;
        }
    }
    finish();
    return packages;
}

} // namespace MinimalIndex
