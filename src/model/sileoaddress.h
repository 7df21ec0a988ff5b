#pragma once

#include <string>
#include <string_view>

// The hand-over address of a package identifier: "sileo://package/" and the identifier
// percent-encoded as one path segment (RFC 3986), so that every identifier a source can list
// reaches the package manager as itself. Package::shareURL() is this address.
[[nodiscard]] std::string sileoAddress(std::string_view identifier);
