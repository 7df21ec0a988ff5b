#pragma once

#include <string_view>

// Strict UTF-8 check (no overlong forms, surrogates or code points past U+10FFFF), several
// GB/s: every index is validated before it is parsed.
[[nodiscard]] bool isValidUtf8(std::string_view bytes);
