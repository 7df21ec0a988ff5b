#pragma once

#include <QStringList>

// What the arguments of a start ask for: `vexlo://add?url=<address>` links (several `url`
// keys allowed) open the add sheet filled with their addresses; paths of source list files
// (.list, .sources, .txt) are imported.
struct LaunchRequest
{
    QStringList addresses;
    QStringList listFiles;

    [[nodiscard]] bool isEmpty() const { return addresses.isEmpty() && listFiles.isEmpty(); }
};

[[nodiscard]] LaunchRequest launchRequestOf(const QStringList &arguments);
