#pragma once

#include <cstddef>
#include <string_view>

// The first occurrence of needle in text, or null; an empty needle is found at the start.
// Compares the needle's first and last bytes sixteen positions at a time and checks the
// rest only where both match; on the short needles a search field types this is clearly
// faster than glibc's memmem.
[[nodiscard]] const char *findSubstring(const char *text, std::size_t size, std::string_view needle);
