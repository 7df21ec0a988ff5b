#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

// A moment as the platform's default date-and-time text: the locale's short numeric date
// and short time ("12/6/26 2:05 PM" in en_US). The C locale has no such form of its own
// (Qt's is "6 Dec 2026 10:37:50"), so there it is "2026-12-06 10:37".
[[nodiscard]] QString shortDateTimeText(const QDateTime &moment, const QLocale &locale);
