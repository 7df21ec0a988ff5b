#include "package.h"
#include "sileoaddress.h"

using namespace std::string_view_literals;

std::string_view Package::simplifiedArchitecture() const
{
    const std::string_view arch = architecture;
    if (arch.find("arm64e"sv) != std::string_view::npos)
        return "arm64e"sv;
    if (arch.find("arm64"sv) != std::string_view::npos)
        return "arm64"sv;
    if (arch.find("arm"sv) != std::string_view::npos)
        return "arm"sv;
    return arch;
}

std::string Package::shareURL() const
{
    return sileoAddress(name);
}
