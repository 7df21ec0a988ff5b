#pragma once

#include <QString>

namespace CacheDir {

// The platform's cache folder of the application ($XDG_CACHE_HOME/<organisation>/<app> on
// Linux): what may be deleted at any time without loss, kept apart from the stored
// documents of the data folder. Created on first use; empty when there is none.
[[nodiscard]] QString path();

} // namespace CacheDir
