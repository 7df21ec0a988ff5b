#include "commands.h"

#include "sources/indexfile.h"

#include <QTextStream>

#include <charconv>
#include <cstdio>
#include <string>

using namespace Qt::StringLiterals;

namespace {

// Writes packages in their JSON record form as they come, in chunks, so a large index never
// needs its whole document in memory.
class PackageArrayWriter
{
public:
    explicit PackageArrayWriter(std::FILE *file)
        : m_file(file)
    {
        m_buffer.reserve(chunk + 4096);
        m_buffer += '[';
    }

    void write(const Package &package)
    {
        if (!m_first)
            m_buffer += ',';
        m_first = false;
        m_buffer += "{\"id\":\"";
        appendUuid(package.id);
        m_buffer += "\",\"name\":";
        appendString(package.name);
        m_buffer += ",\"description\":";
        appendString(package.description);
        m_buffer += ",\"version\":";
        appendString(package.version);
        m_buffer += ",\"downloadURL\":";
        appendString(package.downloadURL);
        m_buffer += ",\"architecture\":";
        appendString(package.architecture);
        if (package.ratings) {
            m_buffer += ",\"ratings\":";
            appendNumber(*package.ratings);
        }
        m_buffer += ",\"fileSize\":";
        appendNumber(package.fileSize);
        m_buffer += '}';
        if (m_buffer.size() >= chunk)
            flush();
    }

    bool finish()
    {
        m_buffer += "]\n";
        flush();
        return std::fflush(m_file) == 0 && !std::ferror(m_file);
    }

private:
    static constexpr std::size_t chunk = std::size_t(1) << 20;

    void flush()
    {
        std::fwrite(m_buffer.data(), 1, m_buffer.size(), m_file);
        m_buffer.clear();
    }

    void appendUuid(const QUuid &id)
    {
        static constexpr char hex[] = "0123456789ABCDEF";
        const QByteArray bytes = id.toRfc4122();
        for (int i = 0; i < 16; ++i) {
            if (i == 4 || i == 6 || i == 8 || i == 10)
                m_buffer += '-';
            const auto byte = static_cast<unsigned char>(bytes[i]);
            m_buffer += hex[byte >> 4];
            m_buffer += hex[byte & 0xF];
        }
    }

    // Escapes as the platform's encoder does: quotes, backslashes, slashes and control
    // characters; everything else is written as the UTF-8 it is.
    void appendString(std::string_view text)
    {
        static constexpr char hex[] = "0123456789abcdef";
        m_buffer += '"';
        std::size_t plain = 0;
        for (std::size_t i = 0; i < text.size(); ++i) {
            const auto c = static_cast<unsigned char>(text[i]);
            if (c >= 0x20 && c != '"' && c != '\\' && c != '/')
                continue;
            m_buffer.append(text.substr(plain, i - plain));
            plain = i + 1;
            switch (c) {
            case '"': m_buffer += "\\\""; break;
            case '\\': m_buffer += "\\\\"; break;
            case '/': m_buffer += "\\/"; break;
            case '\b': m_buffer += "\\b"; break;
            case '\f': m_buffer += "\\f"; break;
            case '\n': m_buffer += "\\n"; break;
            case '\r': m_buffer += "\\r"; break;
            case '\t': m_buffer += "\\t"; break;
            default:
                m_buffer += "\\u00";
                m_buffer += hex[c >> 4];
                m_buffer += hex[c & 0xF];
            }
        }
        m_buffer.append(text.substr(plain));
        m_buffer += '"';
    }

    template<typename Number>
    void appendNumber(Number value)
    {
        char digits[32];
        const auto result = std::to_chars(digits, digits + sizeof digits, value);
        m_buffer.append(digits, result.ptr);
    }

    std::FILE *m_file;
    std::string m_buffer;
    bool m_first = true;
};

int usageError(const QString &message)
{
    Cli::err() << "vexlo-cli parse: " << message << "\nUsage: vexlo-cli parse FILE [--repo-url URL] [--count]\n";
    return 2;
}

} // namespace

int Cli::parse(const QStringList &args)
{
    QString path;
    QString repoURL = u"https://example.org/"_s;
    bool countOnly = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        if (arg == u"--count") {
            countOnly = true;
        } else if (arg == u"--repo-url") {
            if (++i == args.size())
                return usageError(u"--repo-url needs a value"_s);
            repoURL = args.at(i);
        } else if (arg.startsWith(u"--") || !path.isEmpty()) {
            return usageError(u"unexpected argument "_s + arg);
        } else {
            path = arg;
        }
    }
    if (path.isEmpty())
        return usageError(u"no index file given"_s);

    const IndexResult index = readIndexFile(path, repoURL.toStdString());
    if (index.error) {
        err() << "vexlo-cli: " << path << ": " << index.error->detail << '\n';
        return index.error->kind == IndexError::Kind::NotUtf8 ? 3 : 1;
    }
    const PackageList &packages = index.packages;
    out().flush();
    if (countOnly) {
        std::printf("%lld\n", static_cast<long long>(packages.size()));
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    PackageArrayWriter writer(stdout);
    for (const Package &package : packages)
        writer.write(package);
    if (!writer.finish()) {
        err() << "vexlo-cli: cannot write the packages\n";
        return 1;
    }
    return 0;
}
