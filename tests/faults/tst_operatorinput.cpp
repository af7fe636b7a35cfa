#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

// The real program started on a workstation whose own files are broken: it starts (or
// refuses) with one line on standard output, and leaves the file it could not read as it was.
class TestOperatorInput : public QObject {
    Q_OBJECT

private slots:
    void brokenConfiguration_startsAndKeepsFile_data();
    void brokenConfiguration_startsAndKeepsFile();
    void unwritableHome_starts_data();
    void unwritableHome_starts();
    void brokenMainWindowDocument_startsAndKeepsFile();
    void untrustedHome_plantedDocumentNotRun_data();
    void untrustedHome_plantedDocumentNotRun();

private:
    // Runs the program with that home for a few seconds; false if it ended by itself.
    bool runFor(const QString& home, int ms, QByteArray* output);
    static QByteArray digest(const QString& path);
};

namespace {
const int runMs = 4000;

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), qint64(bytes.size()));
}
} // namespace

bool TestOperatorInput::runFor(const QString& home, int ms, QByteArray* output) {
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home);
    program.setProcessEnvironment(environment);
    program.setProgram(qEnvironmentVariable("VORLAN_BINARY_DIR") + QStringLiteral("/vorlan"));
    program.setProcessChannelMode(QProcess::SeparateChannels);
    program.start();
    if (!program.waitForStarted()) {
        return false;
    }
    const bool endedByItself = program.waitForFinished(ms);
    if (!endedByItself) {
        program.terminate();
        program.waitForFinished();
    }
    *output = program.readAllStandardOutput();
    return !endedByItself;
}

QByteArray TestOperatorInput::digest(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return QFileInfo(path).isDir() ? QByteArray("directory") : QByteArray();
    }
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256).toHex();
}

void TestOperatorInput::brokenConfiguration_startsAndKeepsFile_data() {
    QTest::addColumn<QByteArray>("conf");
    QTest::addColumn<bool>("directory");
    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("invalid JSON") << QByteArray(R"({"server":"http://127.0.0.1:9",)") << false;
    QTest::newRow("JSON array") << QByteArray(R"([{"server":"http://127.0.0.1:9"}])") << false;
    QTest::newRow("50 MB") << R"({"server":"http://127.0.0.1:9","pad":")" +
                                  QByteArray(50 * 1024 * 1024, 'x')
                           << false;
    QTest::newRow("not UTF-8") << QByteArray("\xff\xfe{\x00\"\x00") << false;
    QTest::newRow("a directory") << QByteArray() << true;
}

void TestOperatorInput::brokenConfiguration_startsAndKeepsFile() {
    QFETCH(QByteArray, conf);
    QFETCH(bool, directory);
    QTemporaryDir home;
    const QString path = home.filePath(QStringLiteral(".vorlan/vorlan.conf"));
    QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
    if (directory) {
        QVERIFY(QDir().mkpath(path));
    } else {
        writeFile(path, conf);
    }
    const QByteArray before = digest(path);

    QByteArray output;
    QVERIFY2(runFor(home.path(), runMs, &output), output.constData());
    QCOMPARE(output.count('\n'), 1);
    QVERIFY2(output.contains(path.toUtf8()), output.constData());
    QCOMPARE(digest(path), before);
}

void TestOperatorInput::unwritableHome_starts_data() {
    QTest::addColumn<bool>("belowFile");
    // The superuser writes through any permission bits; a home below a regular file cannot
    // be written by anyone.
    QTest::newRow("home below a regular file") << true;
    QTest::newRow("read-only home") << false;
}

void TestOperatorInput::unwritableHome_starts() {
    QFETCH(bool, belowFile);
    QTemporaryDir scratch;
    QString home = scratch.filePath(QStringLiteral("home"));
    if (belowFile) {
        writeFile(home, "a file");
        home += QStringLiteral("/operator");
    } else {
        QVERIFY(QDir().mkpath(home));
        QFile::setPermissions(home, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        if (QFileInfo(home).isWritable()) {
            QSKIP("permission bits do not bind this user");
        }
    }

    QByteArray output;
    const bool running = runFor(home, runMs, &output);
    QFile::setPermissions(home,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QVERIFY2(running, output.constData());
    QVERIFY2(output.count('\n') <= 1, output.constData());
}

void TestOperatorInput::brokenMainWindowDocument_startsAndKeepsFile() {
    QTemporaryDir home;
    const QString dir = home.filePath(QStringLiteral(".vorlan"));
    QVERIFY(QDir().mkpath(dir));
    writeFile(dir + QStringLiteral("/vorlan.conf"),
              R"({"server":"http://127.0.0.1:9","operatorID":"{op-1}","workplace":"Desk"})");
    const QString document = dir + QStringLiteral("/MainWindow.qml");
    writeFile(document, "import QtQuick 2.5\nItem { this is not QML\n");
    const QByteArray before = digest(document);

    QByteArray output;
    QVERIFY2(runFor(home.path(), runMs, &output), output.constData());
    // Without a document the site address stays empty, and the polls say so.
    QVERIFY2(output.contains("Protocol \"\" is unknown"), output.constData());
    QCOMPARE(digest(document), before);
}

void TestOperatorInput::untrustedHome_plantedDocumentNotRun_data() {
    QTest::addColumn<bool>("link");
    QTest::addColumn<QByteArray>("reason");
    QTest::newRow("a link to a directory anyone may write")
        << true << QByteArray(".vorlan is a symbolic link");
    QTest::newRow("a directory anyone may write")
        << false << QByteArray(".vorlan is writable by group or others");
}

// A planted registration and main-window document (here one that ends the program at once)
// are not read: the program says why in one line and shows the registration form instead.
void TestOperatorInput::untrustedHome_plantedDocumentNotRun() {
    QFETCH(bool, link);
    QFETCH(QByteArray, reason);
    QTemporaryDir home;
    QTemporaryDir shared;
    const QString dir = link ? shared.path() : home.filePath(QStringLiteral(".vorlan"));
    QVERIFY(QDir().mkpath(dir));
    QVERIFY(QFile::setPermissions(dir, QFileDevice::Permissions(0x7777)));
    if (link) {
        QVERIFY(QFile::link(dir, home.filePath(QStringLiteral(".vorlan"))));
    }
    writeFile(dir + QStringLiteral("/vorlan.conf"),
              R"({"server":"http://127.0.0.1:9","operatorID":"{op-1}","workplace":"Desk"})");
    writeFile(dir + QStringLiteral("/MainWindow.qml"),
              "import QtQuick 2.5\nItem {\n  function getServer() { return 'http://127.0.0.1:9' }\n"
              "  Timer { interval: 0; running: true; onTriggered: GUI.exitProgramm() }\n}\n");

    QByteArray output;
    QVERIFY2(runFor(home.path(), runMs, &output), output.constData());
    QCOMPARE(output.count('\n'), 1);
    QVERIFY2(output.startsWith("Not reading ") && output.contains(reason), output.constData());
}

QTEST_GUILESS_MAIN(TestOperatorInput)
#include "tst_operatorinput.moc"
