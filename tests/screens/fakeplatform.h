#pragma once

#include "platform/platformservices.h"

#include <QList>
#include <QPointer>
#include <QSet>
#include <QStringList>
#include <QUrl>

// Records what the screens ask of the platform; handles the schemes it is told to. Installed
// for its lifetime. "Can open" answers on the next turn of the event loop, or, while
// holdAnswers is set, only when answerHeld() is called.
class FakePlatform : public PlatformServices
{
public:
    FakePlatform() { PlatformServices::setInstance(this); }
    ~FakePlatform() override { PlatformServices::setInstance(nullptr); }

    void openUrl(const QUrl &url) override { opened.append(url); }
    void canOpenUrl(const QUrl &url, QObject *context, std::function<void(bool)> answer) override
    {
        asked.append(url);
        const bool handled = handledSchemes.contains(url.scheme());
        if (holdAnswers) {
            held.append({context, [answer, handled] { answer(handled); }});
            return;
        }
        QMetaObject::invokeMethod(context, [answer, handled] { answer(handled); }, Qt::QueuedConnection);
    }
    void copyText(const QString &text) override { copied.append(text); }

    void answerHeld()
    {
        const auto answers = std::exchange(held, {});
        for (const auto &[context, answer] : answers)
            if (context)
                answer();
    }

    QSet<QString> handledSchemes;
    QList<QUrl> opened;
    QList<QUrl> asked;
    QStringList copied;
    bool holdAnswers = false;
    QList<std::pair<QPointer<QObject>, std::function<void()>>> held;
};
