#pragma once

#include <QtEndian>

#include <cstring>
#include <string_view>

// A 64-bit hash that is the same on every machine and in every run, so it can be kept in files.
// Eight bytes per step with a multiply, which is all it is used for: telling apart texts and
// lists that differ by accident, not ones made to collide.
class StableHasher
{
public:
    void add(quint64 word)
    {
        m_state ^= word * k1;
        m_state = ((m_state << 31) | (m_state >> 33)) * k2;
    }

    // The length goes first, so no text runs into the next one.
    void add(std::string_view text)
    {
        add(quint64(text.size()));
        const char *p = text.data();
        std::size_t left = text.size();
        for (; left >= 8; p += 8, left -= 8)
            add(qFromLittleEndian<quint64>(p));
        if (left) {
            unsigned char tail[8] = {};
            std::memcpy(tail, p, left);
            add(qFromLittleEndian<quint64>(tail));
        }
    }

    [[nodiscard]] quint64 finish() const
    {
        quint64 h = m_state;
        h ^= h >> 33;
        h *= 0xFF51AFD7ED558CCDULL;
        h ^= h >> 33;
        h *= 0xC4CEB9FE1A85EC53ULL;
        return h ^ (h >> 33);
    }

private:
    static constexpr quint64 k1 = 0x9E3779B97F4A7C15ULL;
    static constexpr quint64 k2 = 0xC2B2AE3D27D4EB4FULL;
    quint64 m_state = 0x243F6A8885A308D3ULL;
};
