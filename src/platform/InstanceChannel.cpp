#include "platform/InstanceChannel.h"

#include "platform/UserFolders.h"

#include <QDataStream>
#include <QGuiApplication>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>

#include <unistd.h>

namespace platform {
namespace {

constexpr int kConnectTimeoutMs = 2000;
constexpr quint32 kMaxTokenLength = 4096;

} // namespace

InstanceChannel::InstanceChannel(QObject *parent) : QObject(parent) {}

InstanceChannel::~InstanceChannel() {
    ReleaseStartLock();
    if (server_)
        server_->close();
}

QString InstanceChannel::ServerName() {
    return RuntimeFolder() + QStringLiteral("/Orvanta-") + QString::number(::getuid());
}

bool InstanceChannel::AcquireStartLock() {
    if (startLock_)
        return true;
    startLock_ = new QLockFile(ServerName() + QStringLiteral(".lock"));
    startLock_->setStaleLockTime(10000);
    if (!startLock_->tryLock(5000)) {
        delete startLock_;
        startLock_ = nullptr;
        return false;
    }
    return true;
}

void InstanceChannel::ReleaseStartLock() {
    if (startLock_) {
        startLock_->unlock();
        delete startLock_;
        startLock_ = nullptr;
    }
}

bool InstanceChannel::SendLoadParams(const QByteArray &activationToken) {
    QLocalSocket socket;
    socket.connectToServer(ServerName());
    if (!socket.waitForConnected(kConnectTimeoutMs))
        return false;
    QByteArray message;
    QDataStream out(&message, QIODevice::WriteOnly);
    const QByteArray token = activationToken.left(kMaxTokenLength);
    out << kLoadParamsMessage << quint32(token.size());
    message.append(token);
    socket.write(message);
    socket.waitForBytesWritten(kConnectTimeoutMs);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(kConnectTimeoutMs);
    return true;
}

bool InstanceChannel::Listen() {
    if (server_ && server_->isListening())
        return true;
    const QString name = ServerName();
    {
        // A name someone still answers on belongs to a live instance.
        QLocalSocket probe;
        probe.connectToServer(name);
        if (probe.waitForConnected(500)) {
            probe.disconnectFromServer();
            return false;
        }
    }
    QLocalServer::removeServer(name);
    if (!server_) {
        server_ = new QLocalServer(this);
        server_->setSocketOptions(QLocalServer::UserAccessOption);
        connect(server_, &QLocalServer::newConnection, this, &InstanceChannel::OnNewConnection);
    }
    return server_->listen(name);
}

bool InstanceChannel::IsListening() const { return server_ && server_->isListening(); }

void InstanceChannel::OnNewConnection() {
    while (QLocalSocket *socket = server_->nextPendingConnection()) {
        pending_.insert(socket, QByteArray());
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { OnReadyRead(socket); });
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] {
            OnReadyRead(socket);
            pending_.remove(socket);
            socket->deleteLater();
        });
        OnReadyRead(socket);
    }
}

void InstanceChannel::OnReadyRead(QLocalSocket *socket) {
    auto it = pending_.find(socket);
    if (it == pending_.end())
        return;
    QByteArray &buffer = it.value();
    buffer.append(socket->readAll());
    if (buffer.size() < 8)
        return;
    QDataStream in(buffer);
    quint32 message = 0, length = 0;
    in >> message >> length;
    if (message != kLoadParamsMessage || length > kMaxTokenLength) {
        // Not one of ours: drop the connection.
        pending_.erase(it);
        socket->abort();
        return;
    }
    if (quint32(buffer.size()) < 8 + length)
        return;
    const QByteArray token = buffer.mid(8, int(length));
    pending_.erase(it);
    socket->disconnectFromServer();
    Q_EMIT LoadParamsReceived(token);
}

QByteArray CurrentActivationToken() {
    QByteArray token = qgetenv("XDG_ACTIVATION_TOKEN");
    if (token.isEmpty())
        token = qgetenv("DESKTOP_STARTUP_ID");
    return token;
}

void UseActivationToken(const QByteArray &token) {
    if (token.isEmpty())
        return;
    if (QGuiApplication::platformName() == QStringLiteral("wayland"))
        qputenv("XDG_ACTIVATION_TOKEN", token);
    else
        qputenv("DESKTOP_STARTUP_ID", token);
}

} // namespace platform
