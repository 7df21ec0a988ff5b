#pragma once

#include "swar.h"

#include <QUuid>

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

// The text of JSON strings, read straight from the parser's input: no detour through its
// string buffer. Inline, because the store reader runs them for every string it reads.
namespace JsonString {

// Appends the UTF-8 form of a code point.
inline void appendUtf8(std::string &out, char32_t cp)
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

inline bool hex4(const char *p, char32_t &value)
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
inline const char *nextQuoteOrBackslash(const char *p)
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
inline bool unescapeInto(const char *raw, std::string &out)
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

inline int hexDigit(char c)
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
inline bool parseUuid(std::string_view text, QUuid &id)
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

} // namespace JsonString
