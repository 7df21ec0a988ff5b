#pragma once

#include <bit>
#include <cstdint>

// Eight bytes at a time, in a plain 64-bit word: each function sets the high bit of the bytes
// that match. Only the lowest flagged byte is exact (a borrow can flag bytes above it), which
// is all a scan for the first byte of interest needs.
namespace Swar {

static_assert(std::endian::native == std::endian::little, "the lowest byte must come first");

inline constexpr std::uint64_t ones = 0x0101010101010101ULL;
inline constexpr std::uint64_t highs = 0x8080808080808080ULL;

[[nodiscard]] constexpr std::uint64_t zeroBytes(std::uint64_t w)
{
    return (w - ones) & ~w & highs;
}

[[nodiscard]] constexpr std::uint64_t equalBytes(std::uint64_t w, unsigned char c)
{
    return zeroBytes(w ^ (ones * c));
}

// Bytes below `limit` (at most 128).
[[nodiscard]] constexpr std::uint64_t lessBytes(std::uint64_t w, unsigned char limit)
{
    return (w - ones * limit) & ~w & highs;
}

// Index of the first flagged byte of a non-zero mask.
[[nodiscard]] constexpr int firstByte(std::uint64_t mask)
{
    return std::countr_zero(mask) / 8;
}

} // namespace Swar
