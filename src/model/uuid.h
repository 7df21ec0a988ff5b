#pragma once

#include <QUuid>

// A random (version 4) UUID from a per-thread generator seeded by the system: parsing an
// index draws one per package, too many for a system call each.
[[nodiscard]] QUuid makeUuid();
