#include "jsonkeys.h"
#include "repojson.h"
#include "swar.h"

#include <simdjson.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <string_view>

using namespace std::string_view_literals;

namespace {

// Writes straight into the string's bytes: the string is kept at a size above what is
// written and cut to length at the end, so no append pays a capacity check per byte.
class Writer
{
public:
    // With `flush`, the text is handed on in pieces of about `pieceBytes`, cut between
    // records, so the string never holds the whole document.
    explicit Writer(std::string &out, const RepoJson::Flush *flush = nullptr)
        : m_out(out)
        , m_flush(flush)
    {
        m_out.resize(m_out.capacity());
    }

    bool finish()
    {
        const bool written = m_flush ? handOn() : checked();
        m_out.resize(written && !m_flush ? m_pos : 0);
        return written;
    }

    // Between records: hands the text so far on once it is large enough.
    void recordEnded()
    {
        if (m_flush && m_pos >= RepoJson::pieceBytes && !m_failed)
            m_failed = !handOn();
    }

    [[nodiscard]] bool failed() const { return m_failed; }

    void raw(std::string_view text)
    {
        std::memcpy(room(text.size()), text.data(), text.size());
        m_pos += text.size();
    }

    void raw(char c)
    {
        *room(1) = c;
        ++m_pos;
    }

    void string(std::string_view s);
    void uuid(const QUuid &id);
    void number(double value);
    void integer(std::int64_t value);
    void boolean(bool value) { raw(value ? "true"sv : "false"sv); }

    void repo(const Repo &r);
    void package(const Package &p);
    void packages(const PackageList &list);

private:
    // Records hold UTF-8 only; a stray byte sequence would make the whole document
    // unreadable at the next start, so such a document is never written. Pieces end after
    // a record, never inside a character.
    bool checked() const { return !m_failed && simdjson::validate_utf8(m_out.data(), m_pos); }

    bool handOn()
    {
        const bool handed = checked() && (*m_flush)(std::string_view(m_out.data(), m_pos));
        m_pos = 0;
        return handed;
    }

    char *room(std::size_t n)
    {
        if (m_out.size() - m_pos < n) [[unlikely]]
            m_out.resize(std::max(m_out.size() * 2, m_pos + n + 4096));
        return m_out.data() + m_pos;
    }

    std::string &m_out;
    const RepoJson::Flush *m_flush;
    std::size_t m_pos = 0;
    bool m_failed = false;
};

char escapeLetter(unsigned char c)
{
    switch (c) {
    case '"': return '"';
    case '\\': return '\\';
    case '/': return '/';
    case '\n': return 'n';
    case '\r': return 'r';
    case '\t': return 't';
    case '\b': return 'b';
    case '\f': return 'f';
    default: return 0;
    }
}

// Bytes that a JSON string cannot hold as they are, with "/" escaped as the store does.
inline std::uint64_t needsEscape(std::uint64_t w)
{
    return Swar::equalBytes(w, '"') | Swar::equalBytes(w, '\\') | Swar::equalBytes(w, '/')
        | Swar::lessBytes(w, 0x20);
}

void Writer::string(std::string_view s)
{
    char *p = room(s.size() * 6 + 2 + 8);
    char *const start = p;
    *p++ = '"';
    const char *in = s.data();
    const char *const end = in + s.size();
    while (in < end) {
        std::uint64_t w;
        const std::size_t left = std::size_t(end - in);
        if (left >= 8) {
            std::memcpy(&w, in, 8);
        } else {
            char tail[8];
            std::memset(tail, 'a', 8);
            std::memcpy(tail, in, left);
            std::memcpy(&w, tail, 8);
        }
        // Store all eight bytes; only those before the first one to escape count.
        std::memcpy(p, &w, 8);
        const std::uint64_t mask = needsEscape(w);
        std::size_t n = mask ? std::size_t(Swar::firstByte(mask)) : 8;
        if (n >= left) {
            p += left;
            break;
        }
        p += n;
        in += n;
        if (!mask)
            continue;
        const auto c = static_cast<unsigned char>(*in++);
        *p++ = '\\';
        if (const char letter = escapeLetter(c)) {
            *p++ = letter;
        } else {
            static constexpr char hex[] = "0123456789abcdef";
            const char u[5] = {'u', '0', '0', hex[c >> 4], hex[c & 15]};
            std::memcpy(p, u, 5);
            p += 5;
        }
    }
    *p++ = '"';
    m_pos += std::size_t(p - start);
}

void Writer::uuid(const QUuid &id)
{
    static constexpr char hex[] = "0123456789ABCDEF";
    char *const start = room(38);
    char *p = start;
    auto put = [&p](std::uint64_t value, int digits) {
        for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4)
            *p++ = hex[(value >> shift) & 15];
    };
    *p++ = '"';
    put(id.data1, 8);
    *p++ = '-';
    put(id.data2, 4);
    *p++ = '-';
    put(id.data3, 4);
    *p++ = '-';
    put((std::uint64_t(id.data4[0]) << 8) | id.data4[1], 4);
    *p++ = '-';
    for (int i = 2; i < 8; ++i)
        put(id.data4[i], 2);
    *p++ = '"';
    m_pos += 38;
}

void Writer::number(double value)
{
    if (!std::isfinite(value)) [[unlikely]] {
        m_failed = true;
        return;
    }
    char *p = room(32);
    m_pos += std::size_t(std::to_chars(p, p + 32, value).ptr - p);
}

void Writer::integer(std::int64_t value)
{
    char *p = room(24);
    m_pos += std::size_t(std::to_chars(p, p + 24, value).ptr - p);
}

void Writer::package(const Package &p)
{
    raw(R"({"id":)"sv);
    uuid(p.id);
    raw(R"(,"name":)"sv);
    string(p.name);
    raw(R"(,"description":)"sv);
    string(p.description);
    raw(R"(,"version":)"sv);
    string(p.version);
    raw(R"(,"downloadURL":)"sv);
    string(p.downloadURL);
    raw(R"(,"architecture":)"sv);
    string(p.architecture);
    if (p.ratings) {
        raw(R"(,"ratings":)"sv);
        number(*p.ratings);
    }
    raw(R"(,"fileSize":)"sv);
    integer(p.fileSize);
    if (!p.extras.empty()) {
        for (std::size_t i = 0; i < extraCount; ++i) {
            if (const auto value = p.extras.get(Extra(i))) {
                raw(",\""sv);
                raw(jsonKeyName(jsonKeyOf(Extra(i))));
                raw("\":"sv);
                string(*value);
            }
        }
    }
    raw('}');
}

void Writer::packages(const PackageList &list)
{
    raw('[');
    bool first = true;
    for (const Package &p : list) {
        if (!first)
            raw(',');
        first = false;
        package(p);
        recordEnded();
        if (m_failed)
            return;
    }
    raw(']');
}

void Writer::repo(const Repo &r)
{
    raw(R"({"id":)"sv);
    uuid(r.id);
    raw(R"(,"name":)"sv);
    string(r.name);
    raw(R"(,"url":)"sv);
    string(r.url);
    raw(R"(,"imageURL":)"sv);
    string(r.imageURL);
    raw(R"(,"packagesURL":)"sv);
    string(r.packagesURL);
    raw(R"(,"packages":)"sv);
    packages(r.packages);
    raw(R"(,"isPinned":)"sv);
    boolean(r.isPinned);
    raw(R"(,"lastUpdated":)"sv);
    number(r.lastUpdated);
    if (r.developer) {
        raw(R"(,"developer":)"sv);
        string(*r.developer);
    }
    if (r.releaseDate) {
        raw(R"(,"releaseDate":)"sv);
        number(*r.releaseDate);
    }
    if (r.ratings) {
        raw(R"(,"ratings":)"sv);
        number(*r.ratings);
    }
    if (r.socialMediaLinks) {
        raw(R"(,"socialMediaLinks":[)"sv);
        bool first = true;
        for (const std::string &link : *r.socialMediaLinks) {
            if (!first)
                raw(',');
            first = false;
            string(link);
        }
        raw(']');
    }
    raw(R"(,"isFixed":)"sv);
    boolean(r.isFixed);
    raw(R"(,"isUpdating":)"sv);
    boolean(r.isUpdating);
    raw(R"(,"updateProgress":)"sv);
    number(r.updateProgress);
    raw('}');
}

} // namespace

namespace {

bool writeList(const RepoList &repos, std::string &out, const RepoJson::Flush *flush)
{
    out.clear();
    Writer w(out, flush);
    w.raw('[');
    bool first = true;
    for (const Repo &r : repos) {
        if (!first)
            w.raw(',');
        first = false;
        w.repo(r);
        w.recordEnded();
        if (w.failed())
            break;
    }
    w.raw(']');
    return w.finish();
}

} // namespace

bool RepoJson::writeRepos(const RepoList &repos, std::string &out)
{
    return writeList(repos, out, nullptr);
}

bool RepoJson::writeRepos(const RepoList &repos, std::string &buffer, const Flush &flush)
{
    return writeList(repos, buffer, &flush);
}

bool RepoJson::writeRepo(const Repo &repo, std::string &out)
{
    out.clear();
    Writer w(out);
    w.repo(repo);
    return w.finish();
}

bool RepoJson::writePackages(const PackageList &packages, std::string &out)
{
    out.clear();
    Writer w(out);
    w.packages(packages);
    return w.finish();
}

bool RepoJson::writePackage(const Package &package, std::string &out)
{
    out.clear();
    Writer w(out);
    w.package(package);
    return w.finish();
}

std::optional<std::string> RepoJson::encodeRepos(const RepoList &repos)
{
    std::string out;
    if (!writeRepos(repos, out))
        return std::nullopt;
    return out;
}
