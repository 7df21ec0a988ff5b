#pragma once

#include <QString>

// Display form of one datum that comes from an index or an address (an identifier, a name, a
// version, a size, an architecture, an author, a section, an address, a date written with
// digits) inside this right-to-left interface: the whole datum in a first-strong isolate
// (U+2068 … U+2069), so it is drawn in its own direction, whatever it is made of ("1.1-8"
// stays "1.1-8"), and nothing in it moves the text around it. Directional formatting
// characters inside the datum are kept, but balanced, so that none reaches past its end.
// For display only: what is stored, copied or printed is the datum itself.
[[nodiscard]] QString isolateField(const QString &text);

// Display form of a message line by line: a line "<Arabic words>: <datum>" has its datum
// isolated as a field (an address in it with its password hidden, and what follows the address
// taken as text); the left-to-right runs of other lines are isolated as isolateLeftToRightRuns does.
[[nodiscard]] QString isolateMessage(const QString &message);
