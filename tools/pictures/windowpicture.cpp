#include "windowpicture.h"

#include <QQuickWindow>
#include <QTest>

#include <cstdio>

bool saveWindowPicture(QQuickWindow *window, const QString &path)
{
    QTest::qWait(800);
    const bool ok = window->grabWindow().save(path);
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(path));
    return ok;
}
