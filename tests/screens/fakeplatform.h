#pragma once

#include "platform/platformservices.h"

#include <QList>
#include <QSet>
#include <QStringList>
#include <QUrl>

// Records what the screens ask of the platform; handles the schemes it is told to. Installed
// for its lifetime.
class FakePlatform : public PlatformServices
{
public:
    FakePlatform() { PlatformServices::setInstance(this); }
    ~FakePlatform() override { PlatformServices::setInstance(nullptr); }

    void openUrl(const QUrl &url) override { opened.append(url); }
    bool canOpenUrl(const QUrl &url) override
    {
        asked.append(url);
        return handledSchemes.contains(url.scheme());
    }
    void copyText(const QString &text) override { copied.append(text); }

    QSet<QString> handledSchemes;
    QList<QUrl> opened;
    QList<QUrl> asked;
    QStringList copied;
};
