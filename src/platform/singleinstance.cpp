#include "singleinstance.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>

using namespace Qt::StringLiterals;

namespace {

constexpr int connectTimeoutMs = 1000;
constexpr qint64 maxMessageBytes = 1 << 20;

} // namespace

SingleInstance::SingleInstance(const QString &dataFolder, QObject *parent)
    : QObject(parent)
{
    const QByteArray folder = QDir(dataFolder).canonicalPath().toUtf8();
    m_name = u"vexlo-"_s + QString::fromLatin1(QCryptographicHash::hash(folder, QCryptographicHash::Sha256).toHex().left(24));
}

bool SingleInstance::claim(const QStringList &arguments)
{
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (socket.waitForConnected(connectTimeoutMs)) {
        QByteArray message;
        QDataStream writer(&message, QIODevice::WriteOnly);
        writer << arguments;
        QDataStream out(&socket);
        out << message;
        socket.waitForBytesWritten(connectTimeoutMs);
        socket.disconnectFromServer();
        if (socket.state() != QLocalSocket::UnconnectedState)
            socket.waitForDisconnected(connectTimeoutMs);
        return false;
    }
    // Nobody answers: a name left by a program that crashed is taken over.
    QLocalServer::removeServer(m_name);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_name))
        return true; // runs alone, as before there was a way to hand over
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *peer = m_server->nextPendingConnection()) {
            connect(peer, &QLocalSocket::readyRead, this, [this, peer] { readFrom(peer); });
            connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
            readFrom(peer);
        }
    });
    return true;
}

void SingleInstance::readFrom(QLocalSocket *socket)
{
    if (socket->bytesAvailable() > maxMessageBytes + 4) {
        socket->abort();
        return;
    }
    QDataStream stream(socket);
    stream.startTransaction();
    QByteArray message;
    stream >> message;
    if (!stream.commitTransaction())
        return; // the rest is on its way
    QStringList arguments;
    QDataStream reader(message);
    reader >> arguments;
    socket->disconnectFromServer();
    Q_EMIT argumentsReceived(arguments);
}
