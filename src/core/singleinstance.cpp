#include "core/singleinstance.h"

#include "storage/owneronly.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QLocalSocket>
#include <QThread>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const QByteArray showRequest = QByteArrayLiteral("show\n");
const QByteArray shownReply = QByteArrayLiteral("shown\n");
constexpr int connectTimeoutMs = 500;
constexpr int replyTimeoutMs = 3000;
constexpr int retryPauseMs = 200;

// Whether the path names anything at all, a dangling symbolic link included.
bool isAnythingAt(const QString& path) {
    struct stat status {};
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0;
}
} // namespace

SingleInstance::SingleInstance(const QString& directory, QObject* parent)
    : QObject(parent)
    , directory(directory) {
    server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server, &QLocalServer::newConnection, this, &SingleInstance::answer);
}

SingleInstance::~SingleInstance() {
    // Closed before the lock goes, so a start that takes the lock finds no old socket.
    server.close();
    if (lockDescriptor >= 0) {
        ::close(lockDescriptor);
    }
}

QString SingleInstance::lockPath() const {
    return directory + QStringLiteral("/vorlan.lock");
}

QString SingleInstance::socketPath() const {
    return directory + QStringLiteral("/vorlan.socket");
}

QString SingleInstance::refusal() const {
    return refusalText;
}

SingleInstance::Claim SingleInstance::claim(int waitMs) {
    if (lockDescriptor < 0 && !openLockFile()) {
        return Claim::Refused;
    }
    if (lockDescriptor < 0) {
        return Claim::Acquired;
    }
    const QDeadlineTimer deadline(waitMs);
    forever {
        if (tryLock()) {
            listen();
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

bool SingleInstance::openLockFile() {
    const QString path = lockPath();
    // Not following a link, and not waiting for a writer at a FIFO; not passed to the restarted
    // program either, which would otherwise hold its own lock through this descriptor.
    lockDescriptor =
        ::open(QFile::encodeName(path).constData(),
               O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, S_IRUSR | S_IWUSR);
    const int openError = errno;
    QString problem;
    if (lockDescriptor >= 0) {
        problem = OwnerOnly::distrustOpened(path, lockDescriptor);
    } else if (openError == EROFS || !isAnythingAt(path)) {
        // A directory where no lock file can be made holds no lock for anyone either.
        return true;
    } else if (openError == ELOOP) {
        problem = QStringLiteral("%1 is a symbolic link").arg(path);
    } else {
        problem = QStringLiteral("%1 cannot be opened (%2)")
                      .arg(path, QString::fromLocal8Bit(::strerror(openError)));
    }
    if (problem.isEmpty()) {
        return true;
    }
    refusalText = QStringLiteral("%1; remove it to start Vorlan").arg(problem);
    if (lockDescriptor >= 0) {
        ::close(lockDescriptor);
        lockDescriptor = -1;
    }
    return false;
}

bool SingleInstance::tryLock() {
    // The kernel drops the lock when its holder ends, however it ends.
    return ::flock(lockDescriptor, LOCK_EX | LOCK_NB) == 0;
}

bool SingleInstance::askToShow() {
    // A socket that another user could have put there is not asked anything.
    if (!OwnerOnly::distrust(socketPath()).isEmpty()) {
        return false;
    }
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
