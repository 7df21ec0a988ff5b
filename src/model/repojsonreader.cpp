#include "repojson.h"
#include "jsonkeys.h"
#include "swar.h"

#include <simdjson.h>

#include <cstring>
#include <string_view>

using namespace std::string_view_literals;
using namespace simdjson;
using ondemand::value;

static_assert(RepoJson::readPadding >= qsizetype(SIMDJSON_PADDING));

namespace {

// Appends the UTF-8 form of a code point.
void appendUtf8(std::string &out, char32_t cp)
{
    char b[4];
    int n;
    if (cp < 0x80) {
        b[0] = char(cp);
        n = 1;
    } else if (cp < 0x800) {
        b[0] = char(0xC0 | (cp >> 6));
        b[1] = char(0x80 | (cp & 0x3F));
        n = 2;
    } else if (cp < 0x10000) {
        b[0] = char(0xE0 | (cp >> 12));
        b[1] = char(0x80 | ((cp >> 6) & 0x3F));
        b[2] = char(0x80 | (cp & 0x3F));
        n = 3;
    } else {
        b[0] = char(0xF0 | (cp >> 18));
        b[1] = char(0x80 | ((cp >> 12) & 0x3F));
        b[2] = char(0x80 | ((cp >> 6) & 0x3F));
        b[3] = char(0x80 | (cp & 0x3F));
        n = 4;
    }
    out.append(b, std::size_t(n));
}

bool hex4(const char *p, char32_t &value)
{
    value = 0;
    for (int i = 0; i < 4; ++i) {
        const char c = p[i];
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return false;
        value = (value << 4) | char32_t(digit);
    }
    return true;
}

// Position of the first quote or backslash at or after p. The reader's input is padded and
// every string is closed (checked before iterating), so reading whole words stays in bounds.
const char *nextQuoteOrBackslash(const char *p)
{
    for (;;) {
        std::uint64_t w;
        std::memcpy(&w, p, 8);
        if (const std::uint64_t m = Swar::equalBytes(w, '"') | Swar::equalBytes(w, '\\'))
            return p + Swar::firstByte(m);
        p += 8;
    }
}

// Unescapes the string whose raw text starts at `raw` (past the opening quote) into `out`,
// straight from the input: no detour through the parser's string buffer.
bool unescapeInto(const char *raw, std::string &out)
{
    const char *p = nextQuoteOrBackslash(raw);
    out.assign(raw, std::size_t(p - raw));
    while (*p == '\\') {
        char c = p[1];
        p += 2;
        switch (c) {
        case '"': out.push_back('"'); break;
        case '\\': out.push_back('\\'); break;
        case '/': out.push_back('/'); break;
        case 'b': out.push_back('\b'); break;
        case 'f': out.push_back('\f'); break;
        case 'n': out.push_back('\n'); break;
        case 'r': out.push_back('\r'); break;
        case 't': out.push_back('\t'); break;
        case 'u': {
            char32_t cp;
            if (!hex4(p, cp))
                return false;
            p += 4;
            if (cp >= 0xD800 && cp < 0xDC00) {
                char32_t low;
                if (p[0] != '\\' || p[1] != 'u' || !hex4(p + 2, low) || low < 0xDC00 || low >= 0xE000)
                    return false;
                p += 6;
                cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
            } else if (cp >= 0xDC00 && cp < 0xE000) {
                return false;
            }
            appendUtf8(out, cp);
            break;
        }
        default:
            return false;
        }
        const char *run = p;
        p = nextQuoteOrBackslash(p);
        out.append(run, std::size_t(p - run));
    }
    return true;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// The canonical 8-4-4-4-12 form only, in either case (QUuid would also take braces).
bool parseUuid(std::string_view text, QUuid &id)
{
    if (text.size() != 36)
        return false;
    unsigned char bytes[16];
    int n = 0;
    for (std::size_t i = 0; i < 36;) {
        if (i == 8 || i == 13 || i == 18 || i == 23) {
            if (text[i] != '-')
                return false;
            ++i;
            continue;
        }
        const int hi = hexDigit(text[i]);
        const int lo = hexDigit(text[i + 1]);
        if (hi < 0 || lo < 0)
            return false;
        bytes[n++] = static_cast<unsigned char>(hi << 4 | lo);
        i += 2;
    }
    id = QUuid::fromRfc4122(QByteArrayView(reinterpret_cast<const char *>(bytes), 16));
    return true;
}

class Reader
{
public:
    explicit Reader(QString *error)
        : m_error(error)
    {
    }

    bool fail(std::string_view what);
    bool fail(error_code e) { return fail(error_message(e)); }
    bool failType(JsonKey key, std::string_view expected, error_code e);

    bool readRepos(ondemand::document &doc, RepoList &list);
    bool readPackages(ondemand::array array, PackageList &list);
    bool readRepo(value v, Repo &r);
    bool readPackage(value v, Package &p);

private:
    JsonKey key(ondemand::field &field);
    bool string(value v, JsonKey key, std::string &out);
    bool uuid(value v, JsonKey key, QUuid &out);
    bool number(value v, JsonKey key, double &out);
    bool optionalNumber(value v, JsonKey key, std::optional<double> &out);
    bool extra(value v, JsonKey key, PackageExtras &out);
    bool boolean(value v, JsonKey key, bool &out);
    bool integer(value v, JsonKey key, std::int64_t &out);
    bool skip(value v, int depth);
    bool missing(std::uint32_t seen, std::uint32_t required);

    QString *m_error;
    std::string m_scratch;
    int m_repo = -1;
    int m_package = -1;
};

bool Reader::fail(std::string_view what)
{
    if (m_error) {
        std::string text;
        if (m_repo >= 0)
            text += "source " + std::to_string(m_repo) + ": ";
        if (m_package >= 0)
            text += "package " + std::to_string(m_package) + ": ";
        text += what;
        *m_error = QString::fromStdString(text);
    }
    return false;
}

bool Reader::failType(JsonKey key, std::string_view expected, error_code e)
{
    if (e != INCORRECT_TYPE)
        return fail(std::string("\"") + std::string(jsonKeyName(key)) + "\": " + error_message(e));
    return fail(std::string("\"") + std::string(jsonKeyName(key)) + "\" is not " + std::string(expected));
}

JsonKey Reader::key(ondemand::field &field)
{
    const char *raw = field.key().raw();
    const JsonKey k = classifyRawKey(raw);
    if (k != JsonKey::Unknown)
        return k;
    // Rare: a key with escapes may still spell a field name.
    if (!unescapeInto(raw, m_scratch))
        return JsonKey::Invalid;
    return classifyKey(m_scratch);
}

bool Reader::string(value v, JsonKey key, std::string &out)
{
    ondemand::raw_json_string raw;
    if (const error_code e = v.get_raw_json_string().get(raw))
        return failType(key, "a string"sv, e);
    if (!unescapeInto(raw.raw(), out))
        return fail(std::string("\"") + std::string(jsonKeyName(key)) + "\": invalid escape sequence");
    return true;
}

bool Reader::uuid(value v, JsonKey key, QUuid &out)
{
    if (!string(v, key, m_scratch))
        return false;
    if (!parseUuid(m_scratch, out))
        return fail(std::string("\"") + std::string(jsonKeyName(key)) + "\" is not a UUID");
    return true;
}

bool Reader::number(value v, JsonKey key, double &out)
{
    if (const error_code e = v.get_double().get(out))
        return failType(key, "a number"sv, e);
    return true;
}

bool Reader::optionalNumber(value v, JsonKey key, std::optional<double> &out)
{
    bool isNull = false;
    if (const error_code e = v.is_null().get(isNull))
        return failType(key, "a number"sv, e);
    if (isNull) {
        out.reset();
        return true;
    }
    double d;
    if (!number(v, key, d))
        return false;
    out = d;
    return true;
}

bool Reader::extra(value v, JsonKey key, PackageExtras &out)
{
    const Extra which = *extraOf(key);
    bool isNull = false;
    if (const error_code e = v.is_null().get(isNull))
        return failType(key, "a string"sv, e);
    if (isNull) {
        out.reset(which);
        return true;
    }
    if (!string(v, key, m_scratch))
        return false;
    out.set(which, m_scratch);
    return true;
}

bool Reader::boolean(value v, JsonKey key, bool &out)
{
    if (const error_code e = v.get_bool().get(out))
        return failType(key, "a boolean"sv, e);
    return true;
}

bool Reader::integer(value v, JsonKey key, std::int64_t &out)
{
    if (v.get_int64().get(out) == SUCCESS)
        return true;
    const std::string_view token = v.raw_json_token();
    double d;
    if (const error_code e = v.get_double().get(d))
        return failType(key, "an integer"sv, e);
    // An integral number written with a fraction or exponent (12.0, 1e3) still fits. Digits
    // alone that get_int64 refused are out of range, even where the nearest double is not
    // (−2⁶³−1 rounds to −2⁶³); the open interval keeps rounding at the edges out as well.
    const bool plainDigits = token.find_first_of(".eE"sv) == std::string_view::npos;
    if (plainDigits || !(d > -0x1p63 && d < 0x1p63) || d != double(std::int64_t(d)))
        return fail(std::string("\"") + std::string(jsonKeyName(key)) + "\" is not a 64-bit integer");
    out = std::int64_t(d);
    return true;
}

// Deeper documents are unreadable: no record needs more than a few levels, and the stack
// must not grow with what a file holds.
constexpr int maxDepth = 512;
// Levels of a field's value in a stored list: array, source, packages, package.
constexpr int repoFieldDepth = 3;
constexpr int packageFieldDepth = 5;

// Unknown keys are ignored, but their values must still be well-formed JSON. `depth` is the
// nesting level of `v` in the document.
bool Reader::skip(value v, int depth)
{
    if (depth > maxDepth)
        return fail("nested too deeply"sv);
    ondemand::json_type type;
    if (const error_code e = v.type().get(type))
        return fail(e);
    switch (type) {
    case ondemand::json_type::array: {
        ondemand::array array;
        if (const error_code e = v.get_array().get(array))
            return fail(e);
        for (auto element : array) {
            value child;
            if (const error_code e = std::move(element).get(child))
                return fail(e);
            if (!skip(child, depth + 1))
                return false;
        }
        return true;
    }
    case ondemand::json_type::object: {
        ondemand::object object;
        if (const error_code e = v.get_object().get(object))
            return fail(e);
        for (auto result : object) {
            ondemand::field field;
            if (const error_code e = std::move(result).get(field))
                return fail(e);
            if (!unescapeInto(field.key().raw(), m_scratch))
                return fail("invalid escape sequence in a key"sv);
            if (!skip(field.value(), depth + 1))
                return false;
        }
        return true;
    }
    case ondemand::json_type::number: {
        ondemand::number n;
        if (const error_code e = v.get_number().get(n))
            return fail(e);
        return true;
    }
    case ondemand::json_type::string: {
        ondemand::raw_json_string raw;
        if (const error_code e = v.get_raw_json_string().get(raw))
            return fail(e);
        return unescapeInto(raw.raw(), m_scratch) || fail("invalid escape sequence"sv);
    }
    case ondemand::json_type::boolean: {
        bool b;
        if (const error_code e = v.get_bool().get(b))
            return fail(e);
        return true;
    }
    case ondemand::json_type::null: {
        bool isNull = false;
        if (const error_code e = v.is_null().get(isNull))
            return fail(e);
        return isNull || fail("invalid literal"sv);
    }
    }
    return fail("unexpected value"sv);
}

bool Reader::missing(std::uint32_t seen, std::uint32_t required)
{
    const std::uint32_t absent = required & ~seen;
    for (int i = 0; i < 32; ++i) {
        if (absent & (1u << i))
            return fail(std::string("key \"") + std::string(jsonKeyName(JsonKey(i))) + "\" is missing");
    }
    return true;
}

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

// One parser per thread: it keeps its buffers between documents.
ondemand::parser &threadParser()
{
    thread_local ondemand::parser parser;
    return parser;
}

// Runs `read` over the document, in place when the buffer leaves room for the reader's
// look-ahead, else over a padded copy.
template<typename Result, typename Read>
std::optional<Result> readDocument(const char *data, std::size_t size, std::size_t capacity, QString *error,
                                   Read read)
{
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
