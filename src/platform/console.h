#pragma once

#include <QString>

namespace Console {

// One line on standard output, flushed at once (the application's console lines).
void printLine(const QString &line);

} // namespace Console
