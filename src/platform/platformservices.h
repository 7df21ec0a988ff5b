#pragma once

#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>

// What the application asks of the desktop: open an address, ask whether any application
// handles an address's scheme, put text on the clipboard. Behind one interface so that tests
// can observe what was opened or copied.
class PlatformServices
{
public:
    virtual ~PlatformServices() = default;

    virtual void openUrl(const QUrl &url) = 0;
    // Answers on the main thread, at once or later, whether an application handles the
    // address; the answer is dropped when `context` is gone by then. Never waits.
    virtual void canOpenUrl(const QUrl &url, QObject *context, std::function<void(bool)> answer) = 0;
    virtual void copyText(const QString &text) = 0;

    // The services in use: the desktop's, unless a test installed its own.
    [[nodiscard]] static PlatformServices *instance();
    // Installs services (not owned); nullptr goes back to the desktop's.
    static void setInstance(PlatformServices *services);
};
