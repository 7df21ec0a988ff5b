#include "commands.h"

#include "model/repojson.h"
#include "sources/indexfile.h"

#include <QTextStream>

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

    bool write(const Package &package)
    {
        if (!RepoJson::writePackage(package, m_record))
            return false;
        if (!m_first)
            m_buffer += ',';
        m_first = false;
        m_buffer += m_record;
        if (m_buffer.size() >= chunk)
            flush();
        return true;
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

    std::FILE *m_file;
    std::string m_buffer;
    std::string m_record;
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
    bool written = true;
    for (const Package &package : packages)
        written = written && writer.write(package);
    if (!writer.finish() || !written) {
        err() << "vexlo-cli: cannot write the packages\n";
        return 1;
    }
    return 0;
}
