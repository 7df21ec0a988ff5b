#pragma once

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

class QJSEngine;
class QQmlEngine;

// What the application says to a screen reader without moving the focus: the outcome of an
// action (pinned, deleted, copied, refreshed). The window's announcement region reads each one
// out as a new notification; the screens and their models share this one instance.
class Announcer : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    [[nodiscard]] static Announcer *instance();
    [[nodiscard]] static Announcer *create(QQmlEngine *, QJSEngine *);

    // Said once, even when it repeats the previous announcement.
    Q_INVOKABLE void announce(const QString &text);
    // Said, and shown for a moment by the window: what an action that changes nothing on
    // screen did (a copy).
    Q_INVOKABLE void confirm(const QString &text);

Q_SIGNALS:
    void announced(const QString &text);
    void confirmed(const QString &text);

private:
    Announcer() = default;
};
