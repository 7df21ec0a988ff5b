#pragma once

#include "package.h"

#include <QString>
#include <QUrl>

#include <string_view>

// An absolute http or https address with a host, or an invalid QUrl for any other text: the
// only addresses of a package's own icon or page that the screens load or open, so an index
// cannot make them read local files or start other applications.
[[nodiscard]] QUrl webAddress(std::string_view utf8);

// The picture of a package: its own icon when that is a web address, else the one picture
// of every package.
[[nodiscard]] QString packagePictureAddress(const Package &package);
