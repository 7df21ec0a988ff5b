#pragma once

#include "decompress.h"

#include <QByteArray>

#include <cstddef>
#include <functional>
#include <vector>

// The growing output of a decompression, never allowed past one byte over the limit: that
// byte shows that the stream would have produced more.
//
// It grows in blocks rather than by reallocating one buffer: a reallocation that cannot be
// done in place copies, and for that moment holds the old and the new buffer, twice what the
// budget was told of (huge-page advice splits a mapping, which makes every such reallocation
// a copy). The text is put together once, at the end, each block freed as soon as it is copied.
class DecompressOutput
{
public:
    // The first block's size is guessed from the input's.
    DecompressOutput(qint64 maxOutput, std::size_t inputSize, const std::function<void(qint64)> &reserve);

    // Where the decoder writes next, and how much it may write there.
    [[nodiscard]] char *cursor() { return m_blocks.back().data() + m_blockUsed; }
    [[nodiscard]] std::size_t room() const;
    void advance(std::size_t n);

    // Makes room for more output; false once the limit is passed, or once the output has
    // grown past its first blocks to a multiple of the input no real index reaches.
    bool grow();

    [[nodiscard]] bool overLimit() const { return m_size > m_limit; }

    Decompressed finish();
    [[nodiscard]] Decompressed tooLarge() const;

private:
    void addBlock(qint64 size);

    std::vector<QByteArray> m_blocks; // all full but the last
    qsizetype m_blockUsed = 0;        // of the last block
    qint64 m_size = 0;
    qint64 m_capacity = 0;
    qint64 m_limit;
    qint64 m_input;
    bool m_bomb = false;
    const std::function<void(qint64)> &m_reserve;
};
