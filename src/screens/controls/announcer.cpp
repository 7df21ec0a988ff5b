#include "announcer.h"

#include <QJSEngine>

Announcer *Announcer::instance()
{
    static Announcer *const announcer = new Announcer;
    return announcer;
}

Announcer *Announcer::create(QQmlEngine *, QJSEngine *)
{
    Announcer *announcer = instance();
    QJSEngine::setObjectOwnership(announcer, QJSEngine::CppOwnership);
    return announcer;
}

void Announcer::confirm(const QString &text)
{
    if (text.isEmpty())
        return;
    Q_EMIT confirmed(text);
    announce(text);
}

void Announcer::announce(const QString &text)
{
    if (!text.isEmpty())
        Q_EMIT announced(text);
}
