#include "repojson.h"
#include "jsonvaluereader.h"

static_assert(RepoJson::readPadding >= qsizetype(SIMDJSON_PADDING));

namespace {

// Levels of a field's value in a stored list: array, source, packages, package.
constexpr int repoFieldDepth = 3;
constexpr int packageFieldDepth = 5;

constexpr std::uint32_t bit(JsonKey k)
{
    return 1u << unsigned(k);
}

constexpr std::uint32_t packageRequired = bit(JsonKey::Id) | bit(JsonKey::Name) | bit(JsonKey::Description)
    | bit(JsonKey::Version) | bit(JsonKey::DownloadURL) | bit(JsonKey::Architecture) | bit(JsonKey::FileSize);

constexpr std::uint32_t repoRequired = bit(JsonKey::Id) | bit(JsonKey::Name) | bit(JsonKey::Url)
    | bit(JsonKey::ImageURL) | bit(JsonKey::PackagesURL) | bit(JsonKey::Packages) | bit(JsonKey::IsPinned)
    | bit(JsonKey::LastUpdated) | bit(JsonKey::IsFixed) | bit(JsonKey::IsUpdating) | bit(JsonKey::UpdateProgress);

bool Reader::readPackage(value v, Package &p)
{
    ondemand::object object;
    if (const error_code e = v.get_object().get(object))
        return e == INCORRECT_TYPE ? fail("not an object"sv) : fail(e);
    std::uint32_t seen = 0;
    for (auto result : object) {
        ondemand::field field;
        if (const error_code e = std::move(result).get(field))
            return fail(e);
        const JsonKey k = key(field);
        value fv = field.value();
        bool ok = true;
        switch (k) {
        case JsonKey::Id: ok = uuid(fv, k, p.id); break;
        case JsonKey::Name: ok = string(fv, k, p.name); break;
        case JsonKey::Description: ok = string(fv, k, p.description); break;
        case JsonKey::Version: ok = string(fv, k, p.version); break;
        case JsonKey::DownloadURL: ok = string(fv, k, p.downloadURL); break;
        case JsonKey::Architecture: ok = string(fv, k, p.architecture); break;
        case JsonKey::Ratings: ok = optionalNumber(fv, k, p.ratings); break;
        case JsonKey::FileSize: ok = integer(fv, k, p.fileSize); break;
        case JsonKey::DisplayName:
        case JsonKey::IconURL:
        case JsonKey::Author:
        case JsonKey::Section:
        case JsonKey::DepictionURL: ok = extra(fv, k, p.extras); break;
        case JsonKey::Invalid: return fail("invalid escape sequence in a key"sv);
        default:
            if (!skip(fv, packageFieldDepth))
                return false;
            continue;
        }
        if (!ok)
            return false;
        seen |= bit(k);
    }
    return missing(seen, packageRequired);
}

bool Reader::readPackages(ondemand::array array, PackageList &list)
{
    list.clear();
    m_package = 0;
    for (auto element : array) {
        value v;
        if (const error_code e = std::move(element).get(v))
            return fail(e);
        if (!readPackage(v, list.emplaceBack()))
            return false;
        ++m_package;
    }
    m_package = -1;
    return true;
}

bool Reader::readRepo(value v, Repo &r)
{
    ondemand::object object;
    if (const error_code e = v.get_object().get(object))
        return e == INCORRECT_TYPE ? fail("not an object"sv) : fail(e);
    std::uint32_t seen = 0;
    for (auto result : object) {
        ondemand::field field;
        if (const error_code e = std::move(result).get(field))
            return fail(e);
        const JsonKey k = key(field);
        value fv = field.value();
        bool ok = true;
        switch (k) {
        case JsonKey::Id: ok = uuid(fv, k, r.id); break;
        case JsonKey::Name: ok = string(fv, k, r.name); break;
        case JsonKey::Url: ok = string(fv, k, r.url); break;
        case JsonKey::ImageURL: ok = string(fv, k, r.imageURL); break;
        case JsonKey::PackagesURL: ok = string(fv, k, r.packagesURL); break;
        case JsonKey::Packages: {
            ondemand::array array;
            if (const error_code e = fv.get_array().get(array))
                return failType(k, "an array"sv, e);
            ok = readPackages(array, r.packages);
            break;
        }
        case JsonKey::IsPinned: ok = boolean(fv, k, r.isPinned); break;
        case JsonKey::LastUpdated: ok = number(fv, k, r.lastUpdated); break;
        case JsonKey::Developer: {
            bool isNull = false;
            if (const error_code e = fv.is_null().get(isNull))
                return failType(k, "a string"sv, e);
            if (isNull)
                r.developer.reset();
            else
                ok = string(fv, k, r.developer.emplace());
            break;
        }
        case JsonKey::ReleaseDate: ok = optionalNumber(fv, k, r.releaseDate); break;
        case JsonKey::Ratings: ok = optionalNumber(fv, k, r.ratings); break;
        case JsonKey::SocialMediaLinks: {
            bool isNull = false;
            if (const error_code e = fv.is_null().get(isNull))
                return failType(k, "an array"sv, e);
            if (isNull) {
                r.socialMediaLinks.reset();
                break;
            }
            ondemand::array array;
            if (const error_code e = fv.get_array().get(array))
                return failType(k, "an array"sv, e);
            auto &links = r.socialMediaLinks.emplace();
            for (auto element : array) {
                value link;
                if (const error_code e = std::move(element).get(link))
                    return fail(e);
                if (!string(link, k, links.emplace_back()))
                    return false;
            }
            break;
        }
        case JsonKey::IsFixed: ok = boolean(fv, k, r.isFixed); break;
        case JsonKey::IsUpdating: ok = boolean(fv, k, r.isUpdating); break;
        case JsonKey::UpdateProgress: ok = number(fv, k, r.updateProgress); break;
        case JsonKey::Invalid: return fail("invalid escape sequence in a key"sv);
        default:
            if (!skip(fv, repoFieldDepth))
                return false;
            continue;
        }
        if (!ok)
            return false;
        seen |= bit(k);
    }
    return missing(seen, repoRequired);
}

bool Reader::readRepos(ondemand::document &doc, RepoList &list)
{
    ondemand::array array;
    if (const error_code e = doc.get_array().get(array))
        return e == INCORRECT_TYPE ? fail("the document is not an array"sv) : fail(e);
    m_repo = 0;
    for (auto element : array) {
        value v;
        if (const error_code e = std::move(element).get(v))
            return fail(e);
        if (!readRepo(v, list.emplaceBack()))
            return false;
        ++m_repo;
    }
    m_repo = -1;
    return true;
}

// One parser per thread: it keeps its buffers between documents, up to documents of this
// size. Its index of a document takes up to four bytes per byte of it, which a store of
// Debian's size would otherwise leave in the thread for as long as it lives.
constexpr std::size_t keptParserCapacity = std::size_t(4) << 20;

ondemand::parser &threadParser()
{
    thread_local ondemand::parser parser;
    return parser;
}

// Frees the thread's parser buffers once they exceed what is kept between documents.
struct ParserTrim
{
    ~ParserTrim()
    {
        if (threadParser().capacity() > keptParserCapacity)
            threadParser() = ondemand::parser();
    }
};

// Runs `read` over the document, in place when the buffer leaves room for the reader's
// look-ahead, else over a padded copy.
template<typename Result, typename Read>
std::optional<Result> readDocument(const char *data, std::size_t size, std::size_t capacity, QString *error,
                                   Read read)
{
    const ParserTrim trim; // after the document and the copy are gone
    padded_string copy;
    if (capacity < size + SIMDJSON_PADDING) {
        copy = padded_string(data, size);
        data = copy.data();
        capacity = size + SIMDJSON_PADDING;
    }
    Reader reader(error);
    ondemand::document doc;
    if (const error_code e = threadParser().iterate(data, size, capacity).get(doc)) {
        reader.fail(e);
        return std::nullopt;
    }
    Result result;
    if (!read(reader, doc, result))
        return std::nullopt;
    const char *rest = nullptr;
    if (doc.current_location().get(rest) != OUT_OF_BOUNDS) {
        reader.fail("content after the end of the document"sv);
        return std::nullopt;
    }
    return result;
}

template<typename Result, typename Read>
std::optional<Result> readDocument(const QByteArray &json, QString *error, Read read)
{
    // data_ptr() only hands out the array's header (Qt 6.4 has no const overload); capacity()
    // would also count room before the data.
    const std::size_t room = std::size_t(const_cast<QByteArray &>(json).data_ptr().freeSpaceAtEnd());
    return readDocument<Result>(json.constData(), std::size_t(json.size()), std::size_t(json.size()) + room, error,
                                read);
}

bool readRootObject(Reader &reader, ondemand::document &doc, value &v)
{
    if (const error_code e = doc.get_value().get(v))
        return reader.fail(e);
    return true;
}

} // namespace

std::optional<RepoList> RepoJson::readRepos(const QByteArray &json, QString *error)
{
    return readDocument<RepoList>(json, error, [](Reader &r, ondemand::document &doc, RepoList &list) {
        return r.readRepos(doc, list);
    });
}

std::optional<RepoList> RepoJson::readRepos(const std::string &json, QString *error)
{
    // A short string lives inside the object itself, with no room after it.
    const std::size_t capacity = json.capacity() > 15 ? json.capacity() : 0;
    return readDocument<RepoList>(json.data(), json.size(), capacity, error,
                                  [](Reader &r, ondemand::document &doc, RepoList &list) {
                                      return r.readRepos(doc, list);
                                  });
}

std::optional<Repo> RepoJson::readRepo(const QByteArray &json, QString *error)
{
    return readDocument<Repo>(json, error, [](Reader &r, ondemand::document &doc, Repo &repo) {
        value v;
        return readRootObject(r, doc, v) && r.readRepo(v, repo);
    });
}

std::optional<PackageList> RepoJson::readPackages(const QByteArray &json, QString *error)
{
    return readDocument<PackageList>(json, error, [](Reader &r, ondemand::document &doc, PackageList &list) {
        ondemand::array array;
        if (const error_code e = doc.get_array().get(array))
            return e == INCORRECT_TYPE ? r.fail("the document is not an array"sv) : r.fail(e);
        return r.readPackages(array, list);
    });
}

std::optional<Package> RepoJson::readPackage(const QByteArray &json, QString *error)
{
    return readDocument<Package>(json, error, [](Reader &r, ondemand::document &doc, Package &package) {
        value v;
        return readRootObject(r, doc, v) && r.readPackage(v, package);
    });
}
