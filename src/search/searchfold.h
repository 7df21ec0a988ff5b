#pragma once

#include <QString>

// The form in which every search compares a query with a text: case-folded; the alef forms
// (أ إ آ ٱ) read as ا, ى as ي; tatweel and the short-vowel marks (U+064B–U+065F, U+0670)
// left out; NUL left out (the search index separates texts with it).
[[nodiscard]] QString searchFold(const QString &text);
// Whether the folded text holds the folded query; an empty query is held by any text.
[[nodiscard]] bool searchMatches(const QString &text, const QString &foldedQuery);
