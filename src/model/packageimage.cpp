#include "packageimage.h"

#include "buildconfig.h"

namespace PackageImage {

QString address()
{
    constexpr const char configured[] = VEXLO_PACKAGE_IMAGE_URL;
    return QString::fromUtf8(configured[0] != '\0' ? configured : VEXLO_BUNDLED_IMAGE_URL);
}

} // namespace PackageImage
