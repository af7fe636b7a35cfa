#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>

// One running client per user: a lock file in the per-user directory, and a local socket
// beside it through which a later start asks the running client to show its window.
class SingleInstance final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY(SingleInstance)

public:
    enum class Claim {
        Acquired, // this process is the one instance; it now answers later starts
        Notified, // the running instance confirmed that it shows its window
        Busy      // another instance holds the lock but did not answer
    };

    explicit SingleInstance(const QString& directory, QObject* parent = nullptr);
    ~SingleInstance() override;

    // Takes the lock, or asks its holder to show its window. An instance that is just ending
    // (the restart after a registration) neither answers nor keeps the lock for long, so both
    // are retried until waitMs have passed.
    Claim claim(int waitMs);

    QString lockPath() const;
    QString socketPath() const;

signals:
    void showRequested();

private:
    bool askToShow();
    void listen();
    void answer();

    const QString directory;
    QLockFile lock;
    QLocalServer server;
};
