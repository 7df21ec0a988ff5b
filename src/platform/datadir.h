#pragma once

#include <QString>

namespace DataDir {

// The application's data folder: $VEXLO_DATA_DIR when set, else the platform's app data
// location. Created on first use. Holds the stored documents.
[[nodiscard]] QString path();

} // namespace DataDir
