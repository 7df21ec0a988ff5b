#include "indextext.h"

#include "decompress.h"
#include "utf8.h"

using namespace Qt::StringLiterals;

IndexText decodeIndex(QByteArray bytes, qint64 maxBytes, const std::function<void(qint64)> &reserve)
{
    const std::string_view view(bytes.constData(), std::size_t(bytes.size()));
    const Compression format = detectCompression(view);
    if (format != Compression::None) {
        Decompressed plain = decompress(view, format, maxBytes, reserve);
        switch (plain.status) {
        case Decompressed::Status::Ok:
            bytes = std::move(plain.data);
            break;
        case Decompressed::Status::TooLarge:
            return {{}, IndexError{IndexError::Kind::TooLarge, plain.detail}};
        case Decompressed::Status::Corrupt:
            return {{}, IndexError{IndexError::Kind::Corrupt, plain.detail}};
        }
    }
    if (!isValidUtf8(std::string_view(bytes.constData(), std::size_t(bytes.size()))))
        return {{}, IndexError{IndexError::Kind::NotUtf8, u"not UTF-8 text"_s}};
    return {std::move(bytes), std::nullopt};
}

bool isMarkup(std::string_view text)
{
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    const std::size_t first = text.find_first_not_of(" \t\n\r\f\v");
    return first != std::string_view::npos && text[first] == '<';
}
