#pragma once

#include "platformservices.h"

#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QPointer>

class QProcess;

// The desktop's services: addresses open in the application the desktop assigns to their
// scheme, text goes to the system clipboard.
class DesktopServices : public PlatformServices
{
public:
    DesktopServices() = default;
    DesktopServices(const DesktopServices &) = delete;
    DesktopServices &operator=(const DesktopServices &) = delete;
    ~DesktopServices() override;

    void openUrl(const QUrl &url) override;
    // On Linux: whether the desktop (xdg-mime) names a default handler for the scheme, asked
    // in a process that the interface does not wait for.
    void canOpenUrl(const QUrl &url, QObject *context, std::function<void(bool)> answer) override;
    void copyText(const QString &text) override;

private:
    struct Answer
    {
        bool handled = false;
        QElapsedTimer age;
    };
    struct Waiter
    {
        QPointer<QObject> context;
        std::function<void(bool)> answer;
    };
    void finishQuery(const QString &scheme, bool handled);

    // Asking spawns a process; an answer is reused for a short while, so repeated taps stay
    // quick while an application installed meanwhile is still noticed.
    QHash<QString, Answer> m_answers;
    // Questions in flight, one process per scheme, with everyone waiting for its answer.
    QHash<QString, QProcess *> m_queries;
    QHash<QString, QList<Waiter>> m_waiters;
};
