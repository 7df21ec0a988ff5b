#include "sileoaddress.h"

std::string sileoAddress(std::string_view identifier)
{
    // Only unreserved characters stand as they are: every other byte, "/", "?", "#" and "%"
    // included, is escaped, so the whole identifier is one path segment and comes back as itself.
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string address = "sileo://package/";
    address.reserve(address.size() + identifier.size() * 3);
    for (const char c : identifier) {
        const auto byte = static_cast<unsigned char>(c);
        const bool unreserved = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z')
            || (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' || byte == '_' || byte == '~';
        if (unreserved) {
            address += c;
        } else {
            address += '%';
            address += hex[byte >> 4];
            address += hex[byte & 0xF];
        }
    }
    return address;
}
