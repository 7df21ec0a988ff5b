#pragma once

#include <QDateTime>

// Dates as the store keeps them: seconds since 2001-01-01 00:00:00 UTC.
namespace ReferenceDate {

inline constexpr double unixOffset = 978307200.0;

[[nodiscard]] inline double now()
{
    return double(QDateTime::currentMSecsSinceEpoch()) / 1000.0 - unixOffset;
}

[[nodiscard]] inline QDateTime toDateTime(double seconds)
{
    return QDateTime::fromMSecsSinceEpoch(qint64((seconds + unixOffset) * 1000.0), Qt::UTC);
}

[[nodiscard]] inline double fromDateTime(const QDateTime &dateTime)
{
    return double(dateTime.toMSecsSinceEpoch()) / 1000.0 - unixOffset;
}

} // namespace ReferenceDate
