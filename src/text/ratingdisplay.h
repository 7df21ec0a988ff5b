#pragma once

#include <QString>

// How a package's rating is shown: its text with one decimal, and a row of stars.
namespace RatingDisplay {

// "%.1f" with a full stop: 4.95 reads "5.0".
[[nodiscard]] QString text(double rating);

// The rating truncated toward zero (4.95 gives 4), at most five; none for a negative or
// non-finite rating, which an index can deliver unchecked.
[[nodiscard]] int starCount(double rating);

inline constexpr int maxStars = 5;

} // namespace RatingDisplay
