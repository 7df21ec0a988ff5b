#pragma once

#include "packageextras.h"

#include <cstring>
#include <optional>
#include <string_view>

// The keys of the records' JSON form. Values below 32 serve as bits of a "seen" mask.
enum class JsonKey : unsigned char {
    Id,
    Name,
    Url,
    ImageURL,
    PackagesURL,
    Packages,
    IsPinned,
    LastUpdated,
    Developer,
    ReleaseDate,
    Ratings,
    SocialMediaLinks,
    IsFixed,
    IsUpdating,
    UpdateProgress,
    Description,
    Version,
    DownloadURL,
    Architecture,
    FileSize,
    DisplayName,
    IconURL,
    Author,
    Section,
    DepictionURL,
    Unknown,
    Invalid, // a key with a broken escape sequence
};

[[nodiscard]] constexpr std::string_view jsonKeyName(JsonKey key)
{
    constexpr std::string_view names[] = {
        "id", "name", "url", "imageURL", "packagesURL", "packages", "isPinned", "lastUpdated", "developer",
        "releaseDate", "ratings", "socialMediaLinks", "isFixed", "isUpdating", "updateProgress", "description",
        "version", "downloadURL", "architecture", "fileSize", "displayName", "iconURL", "author", "section",
        "depictionURL",
    };
    return key < JsonKey::Unknown ? names[unsigned(key)] : std::string_view("?");
}

// The key of a package's extra; the extras' keys follow each other in the order of Extra.
[[nodiscard]] constexpr JsonKey jsonKeyOf(Extra extra)
{
    return JsonKey(unsigned(JsonKey::DisplayName) + unsigned(extra));
}

[[nodiscard]] constexpr std::optional<Extra> extraOf(JsonKey key)
{
    if (key < JsonKey::DisplayName || key > JsonKey::DepictionURL)
        return std::nullopt;
    return Extra(unsigned(key) - unsigned(JsonKey::DisplayName));
}

static_assert(unsigned(JsonKey::Unknown) <= 32);
static_assert(jsonKeyName(jsonKeyOf(Extra::DepictionURL)) == "depictionURL");

[[nodiscard]] inline JsonKey classifyKey(std::string_view text)
{
    for (unsigned k = 0; k < unsigned(JsonKey::Unknown); ++k) {
        if (jsonKeyName(JsonKey(k)) == text)
            return JsonKey(k);
    }
    return JsonKey::Unknown;
}

namespace JsonKeyDetail {
// `raw` is the key's text as it stands in the document, ended by its closing quote; the
// comparison may look past a shorter key, which the reader's padded input allows.
inline bool rawIs(const char *raw, std::string_view name)
{
    return std::memcmp(raw, name.data(), name.size()) == 0 && raw[name.size()] == '"';
}
} // namespace JsonKeyDetail

// Names the key without unescaping it; a key written with escapes comes back Unknown.
[[nodiscard]] inline JsonKey classifyRawKey(const char *raw)
{
    using JsonKeyDetail::rawIs;
    switch (raw[0]) {
    case 'i':
        if (rawIs(raw, "id")) return JsonKey::Id;
        if (rawIs(raw, "imageURL")) return JsonKey::ImageURL;
        if (rawIs(raw, "isPinned")) return JsonKey::IsPinned;
        if (rawIs(raw, "isFixed")) return JsonKey::IsFixed;
        if (rawIs(raw, "isUpdating")) return JsonKey::IsUpdating;
        if (rawIs(raw, "iconURL")) return JsonKey::IconURL;
        break;
    case 'n':
        if (rawIs(raw, "name")) return JsonKey::Name;
        break;
    case 'd':
        if (rawIs(raw, "description")) return JsonKey::Description;
        if (rawIs(raw, "downloadURL")) return JsonKey::DownloadURL;
        if (rawIs(raw, "developer")) return JsonKey::Developer;
        if (rawIs(raw, "displayName")) return JsonKey::DisplayName;
        if (rawIs(raw, "depictionURL")) return JsonKey::DepictionURL;
        break;
    case 'v':
        if (rawIs(raw, "version")) return JsonKey::Version;
        break;
    case 'a':
        if (rawIs(raw, "architecture")) return JsonKey::Architecture;
        if (rawIs(raw, "author")) return JsonKey::Author;
        break;
    case 'r':
        if (rawIs(raw, "ratings")) return JsonKey::Ratings;
        if (rawIs(raw, "releaseDate")) return JsonKey::ReleaseDate;
        break;
    case 'f':
        if (rawIs(raw, "fileSize")) return JsonKey::FileSize;
        break;
    case 'u':
        if (rawIs(raw, "url")) return JsonKey::Url;
        if (rawIs(raw, "updateProgress")) return JsonKey::UpdateProgress;
        break;
    case 'p':
        if (rawIs(raw, "packages")) return JsonKey::Packages;
        if (rawIs(raw, "packagesURL")) return JsonKey::PackagesURL;
        break;
    case 'l':
        if (rawIs(raw, "lastUpdated")) return JsonKey::LastUpdated;
        break;
    case 's':
        if (rawIs(raw, "socialMediaLinks")) return JsonKey::SocialMediaLinks;
        if (rawIs(raw, "section")) return JsonKey::Section;
        break;
    }
    return JsonKey::Unknown;
}
