#pragma once

#include <QString>

namespace PackageImage {

// The one picture shown for every package: the image service at wsrv.nl scaling the icon of
// Vexlo's own source (VEXLO_OWN_SOURCE_URL + "CydiaIcon.png") to 150×150 WebP, i.e.
//   https://wsrv.nl/?u=<percent-encoded icon address>&s=150x150&f=webp
[[nodiscard]] QString address();

} // namespace PackageImage
