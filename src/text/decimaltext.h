#pragma once

#include <QString>

// printf's "%.1f" with a full stop whatever the locale (the C library's printf follows
// LC_NUMERIC, which the application inherits from the environment).
[[nodiscard]] QString oneDecimal(double value);
