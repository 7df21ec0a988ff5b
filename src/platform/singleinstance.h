#pragma once

#include <QObject>
#include <QStringList>

class QLocalServer;

// One running program per data folder: the first start listens under a name made from the
// folder; a later start hands its arguments to it and ends, so two processes never write one
// store.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    explicit SingleInstance(const QString &dataFolder, QObject *parent = nullptr);

    // Becomes the one instance, or hands `arguments` to the running one. False when handed
    // over: the caller ends.
    bool claim(const QStringList &arguments);

    [[nodiscard]] QString serverName() const { return m_name; }

Q_SIGNALS:
    // A later start's arguments.
    void argumentsReceived(const QStringList &arguments);

private:
    void readFrom(class QLocalSocket *socket);

    QString m_name;
    QLocalServer *m_server = nullptr;
};
