#pragma once

#include "platformservices.h"

#include <QElapsedTimer>
#include <QHash>

// The desktop's services: addresses open in the application the desktop assigns to their
// scheme, text goes to the system clipboard.
class DesktopServices : public PlatformServices
{
public:
    void openUrl(const QUrl &url) override;
    // On Linux: whether the desktop (xdg-mime) names a default handler for the scheme.
    [[nodiscard]] bool canOpenUrl(const QUrl &url) override;
    void copyText(const QString &text) override;

private:
    struct Answer
    {
        bool handled = false;
        QElapsedTimer age;
    };
    // Asking spawns a process; an answer is reused for a short while, so repeated taps stay
    // quick while an application installed meanwhile is still noticed.
    QHash<QString, Answer> m_answers;
};
