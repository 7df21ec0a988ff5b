#include "platformservices.h"

#include "desktopservices.h"

namespace {
PlatformServices *g_installed = nullptr;
}

PlatformServices *PlatformServices::instance()
{
    if (g_installed)
        return g_installed;
    static DesktopServices desktop;
    return &desktop;
}

void PlatformServices::setInstance(PlatformServices *services)
{
    g_installed = services;
}
