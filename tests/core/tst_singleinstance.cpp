#include "core/singleinstance.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

// Whether a client runs is decided by the lock a live process holds, never by what lies at the
// lock's path; what can never be locked is refused, naming the file to remove.
class TestSingleInstance : public QObject {
    Q_OBJECT

private slots:
    void lockPath_decidedByHolderOnly_data();
    void lockPath_decidedByHolderOnly();
    void heldLock_busyUntilItsHolderEnds();
};

namespace {

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), qint64(bytes.size()));
}

} // namespace

void TestSingleInstance::lockPath_decidedByHolderOnly_data() {
    QTest::addColumn<QString>("setup");
    QTest::addColumn<int>("claim");
    QTest::addColumn<QString>("refusal"); // what the refusal says of the path
    const int acquired = int(SingleInstance::Claim::Acquired);
    const int refused = int(SingleInstance::Claim::Refused);
    QTest::newRow("nothing there") << "none" << acquired << QString();
    QTest::newRow("empty") << "empty" << acquired << QString();
    QTest::newRow("garbage") << "garbage" << acquired << QString();
    QTest::newRow("another host's lock") << "foreign" << acquired << QString();
    QTest::newRow("writable by others") << "0666" << refused << "is writable by group or others";
    QTest::newRow("owned by another user") << "chown" << refused << "is owned by another user";
    QTest::newRow("directory") << "directory" << refused << "cannot be opened";
    QTest::newRow("dangling symbolic link") << "link" << refused << "is a symbolic link";
    QTest::newRow("FIFO") << "fifo" << refused << "is not a regular file";
}

void TestSingleInstance::lockPath_decidedByHolderOnly() {
    QFETCH(QString, setup);
    QFETCH(int, claim);
    QFETCH(QString, refusal);
    QTemporaryDir dir;
    SingleInstance instance(dir.path());
    const QString path = instance.lockPath();
    const QByteArray nativePath = QFile::encodeName(path);
    if (setup == QLatin1String("empty")) {
        writeFile(path, QByteArray());
    } else if (setup == QLatin1String("garbage")) {
        writeFile(path, QByteArray("\xff\x00 not a lock \n\n\n", 16));
    } else if (setup == QLatin1String("foreign")) {
        writeFile(path, QByteArrayLiteral("1\nvorlan\nanother-host.example\n"));
    } else if (setup == QLatin1String("0666")) {
        writeFile(path, QByteArray());
        QVERIFY(::chmod(nativePath.constData(), 0666) == 0);
    } else if (setup == QLatin1String("chown")) {
        if (::getuid() != 0) {
            QSKIP("only the superuser can give the file away");
        }
        writeFile(path, QByteArray());
        QVERIFY(::chown(nativePath.constData(), 65534, 65534) == 0);
    } else if (setup == QLatin1String("directory")) {
        QVERIFY(QDir().mkpath(path));
    } else if (setup == QLatin1String("link")) {
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("gone")), path));
    } else if (setup == QLatin1String("fifo")) {
        QVERIFY(::mkfifo(nativePath.constData(), 0600) == 0);
    }

    // No wait: a refusal, like a free lock, is known at once; the old check said "busy" here
    // after waiting, or hung at the FIFO.
    QCOMPARE(int(instance.claim(0)), claim);
    const QString expected = refusal.isEmpty() ? QString() : path + QLatin1Char(' ') + refusal;
    QVERIFY2(instance.refusal().startsWith(expected) &&
                 instance.refusal().endsWith(
                     refusal.isEmpty() ? QString() : QStringLiteral("remove it to start Vorlan")),
             qPrintable(instance.refusal()));
    QCOMPARE(instance.refusal().isEmpty(), refusal.isEmpty());
}

void TestSingleInstance::heldLock_busyUntilItsHolderEnds() {
    QTemporaryDir dir;
    SingleInstance instance(dir.path());
    // Another process's lock, as far as the kernel is concerned: its own open file.
    const int holder = ::open(QFile::encodeName(instance.lockPath()).constData(),
                              O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    QVERIFY(holder >= 0);
    QVERIFY(::flock(holder, LOCK_EX | LOCK_NB) == 0);
    QCOMPARE(instance.claim(0), SingleInstance::Claim::Busy);
    ::close(holder);
    QCOMPARE(instance.claim(0), SingleInstance::Claim::Acquired);
}

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
