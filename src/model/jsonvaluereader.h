#pragma once

#include "jsonkeys.h"
#include "jsonstring.h"
#include "repo.h"

#include <QString>
#include <simdjson.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The reader of one stored document: typed values, and messages that name the source and
// package at fault. Only repojsonreader.cpp includes this, which adds the records; the whole
// reader stays internal to that file (an unnamed namespace), so the compiler inlines and
// specialises it there as one unit, as it must on this hot path.
namespace {

using namespace std::string_view_literals;
using namespace simdjson;
using ondemand::value;
using JsonString::parseUuid;
using JsonString::unescapeInto;

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

} // namespace
