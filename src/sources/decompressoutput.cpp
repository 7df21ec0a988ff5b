#include "decompressoutput.h"

#include "hugepages.h"

#include <algorithm>
#include <cstring>

using namespace Qt::StringLiterals;

namespace {

// The libraries count in 32 bits; hand them at most this much at a time.
constexpr std::size_t maxStep = std::size_t(1) << 30;

// Blocks double the output up to this size; beyond it, the copy at the end holds at most this
// much more than the text.
constexpr qint64 maxBlock = qint64(16) << 20;

// Real indexes shrink four to six times; a stream that grows more than this past its first
// blocks is a bomb, stopped before it fills memory up to the limit.
constexpr qint64 maxRatio = 200;
constexpr qint64 ratioFloor = maxBlock;

} // namespace

DecompressOutput::DecompressOutput(qint64 maxOutput, std::size_t inputSize, const std::function<void(qint64)> &reserve)
    : m_limit(std::max<qint64>(maxOutput, 0))
    , m_input(qint64(inputSize))
    , m_reserve(reserve)
{
    // Not std::clamp: a limit under the floor would break its precondition.
    const qint64 guess = std::min<qint64>(std::max<qint64>(qint64(inputSize) * 4, 64 * 1024), maxBlock);
    addBlock(std::min(guess, m_limit + 1));
}

std::size_t DecompressOutput::room() const
{
    return std::min(std::size_t(m_blocks.back().size() - m_blockUsed), maxStep);
}

void DecompressOutput::advance(std::size_t n)
{
    m_blockUsed += qsizetype(n);
    m_size += qint64(n);
}

bool DecompressOutput::grow()
{
    if (room() > 0)
        return true;
    if (m_size > m_limit)
        return false;
    if (m_size >= ratioFloor && m_size > m_input * maxRatio) {
        m_bomb = true;
        return false;
    }
    addBlock(std::min({m_capacity, maxBlock, m_limit + 1 - m_capacity}));
    return true;
}

void DecompressOutput::addBlock(qint64 size)
{
    if (m_reserve)
        m_reserve(size);
    QByteArray block(qsizetype(size), Qt::Uninitialized);
    adviseHugePages(block.data(), std::size_t(block.size()));
    m_blocks.push_back(std::move(block));
    m_blockUsed = 0;
    m_capacity += size;
}

Decompressed DecompressOutput::finish()
{
    if (overLimit())
        return tooLarge();
    if (m_blocks.size() == 1) {
        QByteArray text = std::move(m_blocks.front());
        text.truncate(qsizetype(m_size));
        text.squeeze();
        return {Decompressed::Status::Ok, std::move(text), {}};
    }
    QByteArray text(qsizetype(m_size), Qt::Uninitialized);
    adviseHugePages(text.data(), std::size_t(text.size()));
    char *to = text.data();
    for (QByteArray &block : m_blocks) {
        const qsizetype used = &block == &m_blocks.back() ? m_blockUsed : block.size();
        std::memcpy(to, block.constData(), std::size_t(used));
        to += used;
        block = QByteArray();
    }
    return {Decompressed::Status::Ok, std::move(text), {}};
}

Decompressed DecompressOutput::tooLarge() const
{
    if (m_bomb)
        return {Decompressed::Status::TooLarge, {},
                u"decompresses to more than %1 times its %2 bytes"_s.arg(maxRatio).arg(m_input)};
    return {Decompressed::Status::TooLarge, {}, u"decompresses to more than %1 bytes"_s.arg(m_limit)};
}
