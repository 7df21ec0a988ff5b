#pragma once

#include <QString>

namespace PackageImage {

// The one picture shown for every package. By default the product's own icon, bundled in the
// resources and loaded like any other picture (Qt's network layer serves qrc: addresses), so
// it shows at once, also offline; a build may name another address (VEXLO_PACKAGE_IMAGE_URL).
[[nodiscard]] QString address();

} // namespace PackageImage
