#pragma once

#include "model/package.h"

#include <QtGlobal>

// Tells whether a package list is still the one an index produced: the count and a 64-bit hash
// over each package's name, version and download link. Stable across runs, so it can be kept
// in a file and compared with a list read back from the store.
struct PackageListFingerprint
{
    qint64 count = 0;
    quint64 hash = 0;

    friend bool operator==(const PackageListFingerprint &, const PackageListFingerprint &) = default;
};

// Reads every package once; for a whole distribution's index that takes milliseconds, so
// screens call it off the main thread.
[[nodiscard]] PackageListFingerprint fingerprintOf(const PackageList &packages);
