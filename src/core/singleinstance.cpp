#include "core/singleinstance.h"

#include <QDeadlineTimer>
#include <QLocalSocket>
#include <QThread>

namespace {
const QByteArray showRequest = QByteArrayLiteral("show\n");
const QByteArray shownReply = QByteArrayLiteral("shown\n");
constexpr int connectTimeoutMs = 500;
constexpr int replyTimeoutMs = 3000;
constexpr int retryPauseMs = 200;
} // namespace

SingleInstance::SingleInstance(const QString& directory, QObject* parent)
    : QObject(parent)
    , directory(directory)
    , lock(lockPath()) {
    // The client runs for days: only a lock whose process is gone counts as stale.
    lock.setStaleLockTime(0);
    server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server, &QLocalServer::newConnection, this, &SingleInstance::answer);
}

SingleInstance::~SingleInstance() {
    // Closed before the lock goes, so a start that takes the lock finds no old socket.
    server.close();
}

QString SingleInstance::lockPath() const {
    return directory + QStringLiteral("/vorlan.lock");
}

QString SingleInstance::socketPath() const {
    return directory + QStringLiteral("/vorlan.socket");
}

SingleInstance::Claim SingleInstance::claim(int waitMs) {
    const QDeadlineTimer deadline(waitMs);
    forever {
        if (lock.tryLock(0)) {
            listen();
            return Claim::Acquired;
        }
        if (lock.error() != QLockFile::LockFailedError) {
            // No lock can be had here (a read-only directory): running beats refusing to.
            return Claim::Acquired;
        }
        if (askToShow()) {
            return Claim::Notified;
        }
        if (deadline.hasExpired()) {
            return Claim::Busy;
        }
        QThread::msleep(retryPauseMs);
    }
}

bool SingleInstance::askToShow() {
    QLocalSocket socket;
    socket.connectToServer(socketPath());
    if (!socket.waitForConnected(connectTimeoutMs)) {
        return false;
    }
    socket.write(showRequest);
    if (!socket.waitForBytesWritten(connectTimeoutMs)) {
        return false;
    }
    QByteArray reply;
    const QDeadlineTimer deadline(replyTimeoutMs);
    while (!reply.endsWith('\n') && socket.waitForReadyRead(int(deadline.remainingTime()))) {
        reply += socket.readAll();
    }
    return reply == shownReply;
}

void SingleInstance::listen() {
    // A socket file left by a killed instance would make listen() fail; the lock says it is
    // nobody's now.
    QLocalServer::removeServer(socketPath());
    server.listen(socketPath());
}

void SingleInstance::answer() {
    while (QLocalSocket* socket = server.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine()) {
                return;
            }
            if (socket->readLine() == showRequest) {
                emit showRequested();
                socket->write(shownReply);
            }
            socket->disconnectFromServer();
        });
    }
}
