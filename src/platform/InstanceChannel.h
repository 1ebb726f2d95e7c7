#pragma once
// The single-instance channel: a per-user local socket server that the running Orvanta listens
// on. A later start connects, sends the hand-off message number (WM_LOAD_PARAMS) together with
// its window-activation token, and ends. A server name that no one answers is stale (the
// instance that made it died) and is taken over by the next start.

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;
class QLockFile;

namespace platform {

class InstanceChannel : public QObject {
    Q_OBJECT
public:
    static constexpr quint32 kLoadParamsMessage = 0x1400;

    explicit InstanceChannel(QObject *parent = nullptr);
    ~InstanceChannel() override;

    // The server's socket path: <runtime folder>/Orvanta-<uid>.
    static QString ServerName();

    // Holds the start-up lock (so two starts never both decide to be the running instance)
    // until ReleaseStartLock or destruction. Returns false when the lock could not be had in time;
    // the start then goes on without it.
    bool AcquireStartLock();
    void ReleaseStartLock();

    // Connects to a running instance and hands it the message; true when a live instance took
    // the connection and the message was written.
    static bool SendLoadParams(const QByteArray &activationToken);

    // Starts listening, first removing a stale server name. False when a live instance already
    // listens under the name (or the socket cannot be made).
    bool Listen();
    bool IsListening() const;

Q_SIGNALS:
    // A later start asked this instance to load its parameters.
    void LoadParamsReceived(const QByteArray &activationToken);

private:
    void OnNewConnection();
    void OnReadyRead(QLocalSocket *socket);

    QLocalServer *server_ = nullptr;
    QLockFile *startLock_ = nullptr;
    QHash<QLocalSocket *, QByteArray> pending_;
};

// The activation token this process was started with (XDG_ACTIVATION_TOKEN on Wayland,
// DESKTOP_STARTUP_ID on X11), empty when there is none.
QByteArray CurrentActivationToken();
// Makes a received token the one the next window activation uses.
void UseActivationToken(const QByteArray &token);

} // namespace platform
