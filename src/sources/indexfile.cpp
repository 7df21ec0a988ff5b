#include "indexfile.h"

#include "decompress.h"
#include "indextext.h"
#include "packagesparser.h"
#include "utf8.h"

#include <QFile>

#include <cstring>

using namespace Qt::StringLiterals;

namespace {

constexpr qsizetype chunkSize = qsizetype(1) << 20;

IndexResult failure(IndexError::Kind kind, const QString &detail)
{
    IndexResult result;
    result.error = IndexError{kind, detail};
    return result;
}

std::string_view view(const QByteArray &bytes, qsizetype size)
{
    return {bytes.constData(), std::size_t(size)};
}

} // namespace

IndexResult readIndexFile(const QString &path, const std::string &repoURL, qint64 maxBytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return failure(IndexError::Kind::Unreadable, file.errorString());

    QByteArray buffer(chunkSize, Qt::Uninitialized);
    qsizetype filled = 0;
    auto readMore = [&] {
        if (filled == buffer.size())
            buffer.resize(buffer.size() * 2); // a stanza longer than the buffer
        const qint64 n = file.read(buffer.data() + filled, buffer.size() - filled);
        filled += std::max<qint64>(n, 0);
        return n;
    };

    qint64 n = readMore();
    if (n >= 0 && detectCompression(view(buffer, filled)) != Compression::None) {
        while (n > 0)
            n = readMore();
        if (n < 0)
            return failure(IndexError::Kind::Unreadable, file.errorString());
        buffer.truncate(filled);
        const IndexText text = decodeIndex(std::move(buffer), maxBytes);
        if (text.error)
            return {{}, text.error};
        return {parsePackages(view(text.text, text.text.size()), repoURL), {}};
    }

    // Every piece handed on ends with a whole stanza, so no UTF-8 sequence is cut.
    PackagesParser parser(repoURL, std::size_t(std::max<qint64>(file.size(), 0)));
    for (; n > 0; n = readMore()) {
        const std::size_t used = parser.parseSome(view(buffer, filled));
        if (!isValidUtf8(view(buffer, qsizetype(used))))
            return failure(IndexError::Kind::NotUtf8, u"not UTF-8 text"_s);
        std::memmove(buffer.data(), buffer.constData() + used, std::size_t(filled) - used);
        filled -= qsizetype(used);
    }
    if (n < 0)
        return failure(IndexError::Kind::Unreadable, file.errorString());
    if (!isValidUtf8(view(buffer, filled)))
        return failure(IndexError::Kind::NotUtf8, u"not UTF-8 text"_s);
    parser.parseRest(view(buffer, filled));
    return {parser.take(), {}};
}
