#pragma once

#include <QString>
#include <QUrl>

// What the application asks of the desktop: open an address, ask whether any application
// handles an address's scheme, put text on the clipboard. Behind one interface so that tests
// can observe what was opened or copied.
class PlatformServices
{
public:
    virtual ~PlatformServices() = default;

    virtual void openUrl(const QUrl &url) = 0;
    [[nodiscard]] virtual bool canOpenUrl(const QUrl &url) = 0;
    virtual void copyText(const QString &text) = 0;

    // The services in use: the desktop's, unless a test installed its own.
    [[nodiscard]] static PlatformServices *instance();
    // Installs services (not owned); nullptr goes back to the desktop's.
    static void setInstance(PlatformServices *services);
};
