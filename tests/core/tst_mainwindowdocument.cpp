#include "core/mainwindowdocument.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

// A document beside the program, or installed with it, is run only when it and its folder
// belong to this user or the superuser and no one else may write them.
class TestMainWindowDocument : public QObject {
    Q_OBJECT

private slots:
    void programDocument_ownerAndPermissionsChecked_data();
    void programDocument_ownerAndPermissionsChecked();
};

void TestMainWindowDocument::programDocument_ownerAndPermissionsChecked_data() {
    QTest::addColumn<QString>("folder"); // below the temporary root: bin or share/vorlan
    QTest::addColumn<int>("folderMode");
    QTest::addColumn<int>("fileMode");
    QTest::addColumn<bool>("giveAway");
    QTest::addColumn<bool>("trusted");
    QTest::newRow("beside the program") << "bin" << 0755 << 0644 << false << true;
    QTest::newRow("program folder anyone may write") << "bin" << 01777 << 0644 << false << false;
    QTest::newRow("program folder the group may write") << "bin" << 0775 << 0644 << false << false;
    QTest::newRow("document anyone may write") << "bin" << 0755 << 0666 << false << false;
    QTest::newRow("document of another user") << "bin" << 0755 << 0644 << true << false;
    QTest::newRow("installed") << "share/vorlan" << 0755 << 0644 << false << true;
    QTest::newRow("installed folder anyone may write")
        << "share/vorlan" << 0777 << 0644 << false << false;
}

void TestMainWindowDocument::programDocument_ownerAndPermissionsChecked() {
    QFETCH(QString, folder);
    QFETCH(int, folderMode);
    QFETCH(int, fileMode);
    QFETCH(bool, giveAway);
    QFETCH(bool, trusted);
    QTemporaryDir root;
    const QString programDir = root.filePath(QStringLiteral("bin"));
    const QString document = root.filePath(folder + QStringLiteral("/MainWindow.qml"));
    QVERIFY(QDir().mkpath(programDir) && QDir().mkpath(QFileInfo(document).path()));
    QFile file(document);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QVERIFY(::chmod(QFile::encodeName(document).constData(), mode_t(fileMode)) == 0);
    QVERIFY(::chmod(QFile::encodeName(QFileInfo(document).path()).constData(),
                    mode_t(folderMode)) == 0);
    if (giveAway) {
        if (::getuid() != 0) {
            QSKIP("only the superuser can give the file away");
        }
        QVERIFY(::chown(QFile::encodeName(document).constData(), 65534, 65534) == 0);
    }

    const QString found =
        MainWindowDocument::locate(root.filePath(QStringLiteral("home")), programDir,
                                   [](const QString&) { return QString(); });
    QCOMPARE(found, trusted ? document : QString());
}

QTEST_GUILESS_MAIN(TestMainWindowDocument)
#include "tst_mainwindowdocument.moc"
