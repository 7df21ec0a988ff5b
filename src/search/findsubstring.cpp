#include "findsubstring.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

const char *findSubstring(const char *text, std::size_t size, std::string_view needle)
{
    const std::size_t k = needle.size();
    if (k == 0)
        return text;
    if (k > size)
        return nullptr;
    if (k == 1)
        return static_cast<const char *>(std::memchr(text, needle[0], size));

    const char first = needle.front();
    const char last = needle.back();
    const char *const middle = needle.data() + 1;
    const std::size_t middleSize = k - 2;
    // Candidate starts are 0 … size - k.
    const std::size_t starts = size - k + 1;
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128i firsts = _mm_set1_epi8(first);
    const __m128i lasts = _mm_set1_epi8(last);
    for (; i + 16 <= starts; i += 16) {
        const __m128i atFirst = _mm_loadu_si128(reinterpret_cast<const __m128i *>(text + i));
        const __m128i atLast = _mm_loadu_si128(reinterpret_cast<const __m128i *>(text + i + k - 1));
        unsigned mask = unsigned(_mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(atFirst, firsts),
                                                                 _mm_cmpeq_epi8(atLast, lasts))));
        while (mask) {
            const std::size_t at = i + std::size_t(__builtin_ctz(mask));
            if (std::memcmp(text + at + 1, middle, middleSize) == 0)
                return text + at;
            mask &= mask - 1;
        }
    }
#endif
    for (; i < starts; ++i) {
        if (text[i] == first && text[i + k - 1] == last && std::memcmp(text + i + 1, middle, middleSize) == 0)
            return text + i;
    }
    return nullptr;
}
