#pragma once

#include <cstring>
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
    Unknown,
    Invalid, // a key with a broken escape sequence
};

[[nodiscard]] constexpr std::string_view jsonKeyName(JsonKey key)
{
    constexpr std::string_view names[] = {
        "id", "name", "url", "imageURL", "packagesURL", "packages", "isPinned", "lastUpdated", "developer",
        "releaseDate", "ratings", "socialMediaLinks", "isFixed", "isUpdating", "updateProgress", "description",
        "version", "downloadURL", "architecture", "fileSize",
    };
    return key < JsonKey::Unknown ? names[unsigned(key)] : std::string_view("?");
}

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
        break;
    case 'n':
        if (rawIs(raw, "name")) return JsonKey::Name;
        break;
    case 'd':
        if (rawIs(raw, "description")) return JsonKey::Description;
        if (rawIs(raw, "downloadURL")) return JsonKey::DownloadURL;
        if (rawIs(raw, "developer")) return JsonKey::Developer;
        break;
    case 'v':
        if (rawIs(raw, "version")) return JsonKey::Version;
        break;
    case 'a':
        if (rawIs(raw, "architecture")) return JsonKey::Architecture;
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
        break;
    }
    return JsonKey::Unknown;
}
