#include "ratingdisplay.h"

#include "decimaltext.h"

#include <cmath>

namespace RatingDisplay {

QString text(double rating)
{
    return oneDecimal(rating);
}

int starCount(double rating)
{
    if (!std::isfinite(rating) || rating < 1.0)
        return 0;
    return rating >= double(maxStars) ? maxStars : int(rating);
}

} // namespace RatingDisplay
