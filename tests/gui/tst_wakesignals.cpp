#include "controllerfixture.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using Response = TestHttpServer::Response;

namespace {

// A system bus of the test's own: anyone may own any name and send anything.
const char* const busConfig = "<busconfig>"
                              "<type>system</type>"
                              "<listen>unix:path=%1/system_bus_socket</listen>"
                              "<auth>EXTERNAL</auth>"
                              "<policy context='default'>"
                              "<allow user='*'/><allow own='*'/>"
                              "<allow send_destination='*' eavesdrop='true'/>"
                              "<allow eavesdrop='true'/>"
                              "</policy>"
                              "</busconfig>";

} // namespace

// A resume from suspend and a network coming back each make the controller ask the site at
// once; going to sleep, or a network still away, does not. Heard on a private system bus.
class TestWakeSignals : public QObject, private ControllerFixture {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void wake_pollsOnceForEachReturn_data();
    void wake_pollsOnceForEachReturn();

private:
    bool emitSignal(const QString& service, const QString& path, const QString& interface,
                    const QString& name, const QVariant& argument);

    QTemporaryDir busDir;
    QProcess bus;
    QString busAddress;
};

void TestWakeSignals::initTestCase() {
    QVERIFY(busDir.isValid());
    QFile config(busDir.filePath(QStringLiteral("system.conf")));
    QVERIFY(config.open(QIODevice::WriteOnly));
    config.write(QString::fromLatin1(busConfig).arg(busDir.path()).toUtf8());
    config.close();
    bus.start(QStringLiteral("dbus-daemon"),
              {QStringLiteral("--nofork"), QStringLiteral("--print-address"),
               QStringLiteral("--config-file=") + config.fileName()});
    QVERIFY(bus.waitForStarted());
    QTRY_VERIFY(bus.canReadLine());
    busAddress = QString::fromUtf8(bus.readLine().trimmed());
    // Set before anything in the process opens the system bus, so the machine's own is never used.
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", busAddress.toUtf8());
    QVERIFY(QDBusConnection::systemBus().isConnected());
}

void TestWakeSignals::cleanupTestCase() {
    bus.terminate();
    bus.waitForFinished();
}

bool TestWakeSignals::emitSignal(const QString& service, const QString& path,
                                 const QString& interface, const QString& name,
                                 const QVariant& argument) {
    QDBusConnection sender = QDBusConnection::connectToBus(busAddress, service);
    if (!sender.isConnected() || !sender.registerService(service)) {
        return false;
    }
    QDBusMessage message = QDBusMessage::createSignal(path, interface, name);
    message << argument;
    return sender.send(message);
}

// Each row: signals in order, as "logind BOOL" or "nm STATE", and the polls that follow each.
void TestWakeSignals::wake_pollsOnceForEachReturn_data() {
    QTest::addColumn<QStringList>("signalsSent");
    QTest::addColumn<QList<int>>("polls");
    QTest::newRow("sleep, then resume")
        << QStringList{"logind true", "logind false"} << QList<int>{0, 1};
    QTest::newRow("network away, then back, then better")
        << QStringList{"nm 20", "nm 40", "nm 70", "nm 70"} << QList<int>{0, 0, 1, 0};
    QTest::newRow("a local network is a network")
        << QStringList{"nm 20", "nm 50", "nm 70"} << QList<int>{0, 1, 0};
}

void TestWakeSignals::wake_pollsOnceForEachReturn() {
    QFETCH(QStringList, signalsSent);
    QFETCH(QList<int>, polls);
    QVERIFY(listenSite());
    site->route("/vorlan/get.php", Response::json("[]"));
    start();
    QVERIFY(site->waitForRequests(1));
    for (int i = 0; i < signalsSent.size(); ++i) {
        const int before = site->requestCount();
        const QString kind = signalsSent.at(i).section(' ', 0, 0);
        const QString value = signalsSent.at(i).section(' ', 1);
        if (kind == QLatin1String("logind")) {
            QVERIFY(emitSignal(QStringLiteral("org.freedesktop.login1"),
                               QStringLiteral("/org/freedesktop/login1"),
                               QStringLiteral("org.freedesktop.login1.Manager"),
                               QStringLiteral("PrepareForSleep"), value == QLatin1String("true")));
        } else {
            QVERIFY(emitSignal(QStringLiteral("org.freedesktop.NetworkManager"),
                               QStringLiteral("/org/freedesktop/NetworkManager"),
                               QStringLiteral("org.freedesktop.NetworkManager"),
                               QStringLiteral("StateChanged"),
                               QVariant::fromValue(value.toUInt())));
        }
        // A poll that should come comes at once; one that should not has had time to show.
        if (polls.at(i) > 0) {
            QVERIFY(site->waitForRequests(before + polls.at(i), 3000));
        }
        QTest::qWait(300);
        QCOMPARE(site->requestCount() - before, polls.at(i));
    }
    tearDown();
}

QTEST_MAIN(TestWakeSignals)
#include "tst_wakesignals.moc"
