#pragma once

#include <QLocalServer>
#include <QObject>

// One running client per user: an advisory lock held on a file in the per-user directory, and
// a local socket beside it through which a later start asks the running client to show its
// window. Whether a client runs is decided by the lock alone, never by what the file holds.
class SingleInstance final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY(SingleInstance)

public:
    enum class Claim {
        Acquired, // this process is the one instance; it now answers later starts
        Notified, // the running instance confirmed that it shows its window
        Busy,     // another instance holds the lock but did not answer
        Refused   // the lock file cannot be trusted or opened; refusal() says which and why
    };

    explicit SingleInstance(const QString& directory, QObject* parent = nullptr);
    ~SingleInstance() override;

    // Takes the lock, or asks its holder to show its window. An instance that is just ending
    // (the restart after a registration) neither answers nor keeps the lock for long, so both
    // are retried until waitMs have passed.
    Claim claim(int waitMs);

    // After Claim::Refused: what is wrong with the lock file, and that it must be removed.
    QString refusal() const;

    QString lockPath() const;
    QString socketPath() const;

signals:
    void showRequested();

private:
    // Opens the lock file without blocking and checks it; false with refusalText set when the
    // file can never be locked by this user. A directory that allows no file at all is not
    // refused: running beats refusing to.
    bool openLockFile();
    bool tryLock();
    bool askToShow();
    void listen();
    void answer();

    const QString directory;
    int lockDescriptor = -1;
    QString refusalText;
    QLocalServer server;
};
