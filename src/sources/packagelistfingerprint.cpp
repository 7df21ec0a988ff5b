#include "packagelistfingerprint.h"

#include "stablehash.h"

PackageListFingerprint fingerprintOf(const PackageList &packages)
{
    StableHasher hasher;
    for (const Package &package : packages) {
        hasher.add(package.name);
        hasher.add(package.version);
        hasher.add(package.downloadURL);
    }
    return {packages.size(), hasher.finish()};
}
