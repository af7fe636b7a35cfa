#include "storage/deskpreferences.h"
#include "storage/workplace.h"
#include "storage/xhelper.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const QFileDevice::Permissions groupAndOthers(0x0077);

// While it lives, this process cannot make any file larger than `bytes`: a write past that
// fails half-way, as on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved);
        previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previousHandler);
    }

private:
    rlimit saved{};
    void (*previousHandler)(int) = nullptr;
};
} // namespace

// The per-user directory and vorlan.conf, each case in a HOME of its own.
class TestXHelper : public QObject {
    Q_OBJECT

private slots:
    void init();

    void homeDir_createsOwnerOnlyDirectoryOnce();
    void writeConf_roundTripsThroughReadConf();
    void writeConf_replacesLongerFileOwnerOnly();
    void writeConf_failingHalfWay_keepsOldFile();
    void readConf_missingFile_returnsEmptyAndCreatesDirectory();
    void readConf_joinsLinesWithoutBreaks();
    void dirIsPlainFile_writeFailsReadEmpty();

    void workplace_registration_data();
    void workplace_registration();
    void workplace_storeKeepsOtherMembers();
    void untrustedDirectory_notReadNorWritten_data();
    void untrustedDirectory_notReadNorWritten();

    void deskPreferences_data();
    void deskPreferences();

private:
    void writeRaw(const QByteArray& bytes);
    QString vorlanDir() const { return home->path() + QStringLiteral("/.vorlan"); }
    QString confPath() const { return vorlanDir() + QStringLiteral("/vorlan.conf"); }

    std::unique_ptr<QTemporaryDir> home;
    XHelper helper;
};

void TestXHelper::init() {
    home = std::make_unique<QTemporaryDir>();
    qputenv("HOME", home->path().toUtf8());
}

void TestXHelper::writeRaw(const QByteArray& bytes) {
    QDir().mkpath(vorlanDir());
    QFile file(confPath());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

void TestXHelper::homeDir_createsOwnerOnlyDirectoryOnce() {
    QCOMPARE(helper.getHomeDir(), home->path());
    QVERIFY(!QFileInfo::exists(vorlanDir()));
    QCOMPARE(helper.homeDir(), vorlanDir());
    QVERIFY(QFileInfo(vorlanDir()).isDir());
    QCOMPARE(QFile::permissions(vorlanDir()) & groupAndOthers, QFileDevice::Permissions());
    QVERIFY(QFile::permissions(vorlanDir()) & QFileDevice::ExeOwner);
    QCOMPARE(helper.homeDir(), vorlanDir());
}

void TestXHelper::writeConf_roundTripsThroughReadConf() {
    const QJsonObject conf{{"server", "http://calls.example/shop"}, {"name", "Стол 1"}};
    QVERIFY(helper.writeConf(conf));

    QFile file(confPath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QJsonDocument(conf).toJson(QJsonDocument::Indented));
    const QString text = helper.readConf();
    QVERIFY(!text.contains(QLatin1Char('\n')));
    QCOMPARE(QJsonDocument::fromJson(text.toUtf8()).object(), conf);
}

void TestXHelper::writeConf_replacesLongerFileOwnerOnly() {
    writeRaw(QByteArray(4096, 'x'));
    QVERIFY(helper.writeConf({{"a", 1}}));
    QCOMPARE(helper.readConf(), QStringLiteral("{    \"a\": 1}"));
    QCOMPARE(QFile::permissions(confPath()) & groupAndOthers, QFileDevice::Permissions());
    QVERIFY(QFile::permissions(confPath()) & QFileDevice::WriteOwner);
    // Written through a temporary file renamed over the old one: nothing else is left behind.
    QCOMPARE(QDir(vorlanDir()).entryList(QDir::Files), QStringList{"vorlan.conf"});
}

void TestXHelper::writeConf_failingHalfWay_keepsOldFile() {
    const QByteArray old = R"({"server":"http://old","operatorID":"{old}"})";
    writeRaw(old);
    bool written = true;
    {
        const FileSizeLimit limit(4096);
        written = helper.writeConf({{"server", "http://new"}, {"pad", QString(64 * 1024, 'x')}});
    }
    QVERIFY(!written);
    QFile file(confPath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), old);
    QCOMPARE(QDir(vorlanDir()).entryList(QDir::Files), QStringList{"vorlan.conf"});
}

void TestXHelper::readConf_missingFile_returnsEmptyAndCreatesDirectory() {
    QCOMPARE(helper.readConf(), QString());
    QVERIFY(QFileInfo(vorlanDir()).isDir());
}

void TestXHelper::readConf_joinsLinesWithoutBreaks() {
    writeRaw("a\nb\n");
    QCOMPARE(helper.readConf(), QStringLiteral("ab"));
}

void TestXHelper::dirIsPlainFile_writeFailsReadEmpty() {
    QFile blocker(vorlanDir());
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QVERIFY(!helper.writeConf({{"a", 1}}));
    QCOMPARE(helper.readConf(), QString());
}

void TestXHelper::workplace_registration_data() {
    QTest::addColumn<QByteArray>("conf"); // null: no file
    QTest::addColumn<bool>("registered");
    QTest::addColumn<bool>("unreadable");
    QTest::newRow("missing file") << QByteArray() << false << false;
    QTest::newRow("empty file") << QByteArray("") << false << true;
    QTest::newRow("invalid JSON") << QByteArray("{\"server\":") << false << true;
    QTest::newRow("array") << QByteArray("[1]") << false << true;
    QTest::newRow("no operator") << QByteArray(R"({"server":"http://a"})") << false << false;
    QTest::newRow("empty server") << QByteArray(R"({"server":"","operatorID":"{x}"})") << false
                                  << false;
    QTest::newRow("empty operator")
        << QByteArray(R"({"server":"http://a","operatorID":""})") << false << false;
    QTest::newRow("number id") << QByteArray(R"({"server":"http://a","operatorID":5})") << false
                               << false;
    QTest::newRow("registered") << QByteArray(R"({"server":"http://a","operatorID":"{x}"})") << true
                                << false;
}

void TestXHelper::workplace_registration() {
    QFETCH(QByteArray, conf);
    QFETCH(bool, registered);
    QFETCH(bool, unreadable);
    if (!conf.isNull()) {
        writeRaw(conf);
    }
    const Workplace workplace = Workplace::load(helper);
    QCOMPARE(workplace.isRegistered(), registered);
    QCOMPARE(workplace.isConfUnreadable(), unreadable);
    if (!conf.isNull()) {
        QFile file(confPath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), conf);
    }
}

void TestXHelper::workplace_storeKeepsOtherMembers() {
    writeRaw(R"({"theme":"dark","server":"http://old"})");
    QVERIFY(Workplace::store(helper, "http://new/", "{id}", "Desk"));
    const Workplace workplace = Workplace::load(helper);
    QVERIFY(workplace.isRegistered());
    QCOMPARE(workplace.server(), QStringLiteral("http://new/"));
    QCOMPARE(workplace.contextObject(),
             (QVariantMap{{"server", "http://new/"}, {"operatorID", "{id}"}, {"name", "Desk"}}));
    QCOMPARE(QJsonDocument::fromJson(helper.readConf().toUtf8()).object().value("theme").toString(),
             QStringLiteral("dark"));
}

void TestXHelper::deskPreferences_data() {
    QTest::addColumn<QByteArray>("conf"); // null: no file
    QTest::addColumn<bool>("notify");     // as read
    QTest::addColumn<bool>("sound");
    QTest::addColumn<bool>("stored"); // whether switching both off is written
    QTest::newRow("missing file") << QByteArray() << true << true << true;
    QTest::newRow("registration kept")
        << QByteArray(R"({"server":"http://a","operatorID":"{x}","notificationSound":false})")
        << true << false << true;
    QTest::newRow("not booleans") << QByteArray(R"({"notifyNewCalls":"no","notificationSound":0})")
                                  << true << true << true;
    QTest::newRow("unreadable file left alone")
        << QByteArray("{\"server\":") << true << true << false;
}

void TestXHelper::deskPreferences() {
    QFETCH(QByteArray, conf);
    QFETCH(bool, notify);
    QFETCH(bool, sound);
    QFETCH(bool, stored);
    if (!conf.isNull()) {
        writeRaw(conf);
    }
    const DeskPreferences read = DeskPreferences::load(helper);
    QCOMPARE(read.notify, notify);
    QCOMPARE(read.sound, sound);

    const Workplace before = Workplace::load(helper);
    const DeskPreferences bothOff{false, false};
    QCOMPARE(bothOff.store(helper), stored);
    const DeskPreferences after = DeskPreferences::load(helper);
    QCOMPARE(after.notify, !stored && notify);
    QCOMPARE(after.sound, !stored && sound);
    QCOMPARE(Workplace::load(helper).contextObject(), before.contextObject());
    if (!stored) {
        QFile file(confPath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), conf);
    }
}

void TestXHelper::untrustedDirectory_notReadNorWritten_data() {
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("reason"); // empty: trusted
    QTest::newRow("owner-only") << "0700" << QString();
    QTest::newRow("group may read") << "0750" << QString();
    QTest::newRow("writable by others") << "0777"
                                        << "writable by group or others";
    QTest::newRow("writable by group") << "0770"
                                       << "writable by group or others";
    QTest::newRow("symbolic link") << "link"
                                   << "is a symbolic link";
    QTest::newRow("owned by another user") << "chown"
                                           << "owned by another user";
    QTest::newRow("the file writable by others") << "file"
                                                 << "vorlan.conf is writable by group";
}

// As ssh treats its own files: a registration others could have planted is not read.
void TestXHelper::untrustedDirectory_notReadNorWritten() {
    QFETCH(QString, setup);
    QFETCH(QString, reason);
    const QByteArray registered = R"({"server":"http://a","operatorID":"{x}"})";
    QTemporaryDir elsewhere;
    if (setup == QLatin1String("link")) {
        QVERIFY(QFile::link(elsewhere.path(), vorlanDir()));
    }
    writeRaw(registered);
    if (setup == QLatin1String("chown")) {
        if (::getuid() != 0) {
            QSKIP("only the superuser can give the directory away");
        }
        QVERIFY(::chown(QFile::encodeName(vorlanDir()).constData(), 65534, 65534) == 0);
    } else if (setup == QLatin1String("file")) {
        QVERIFY(::chmod(QFile::encodeName(confPath()).constData(), 0666) == 0);
    } else if (setup.startsWith(QLatin1Char('0'))) {
        QVERIFY(::chmod(QFile::encodeName(vorlanDir()).constData(), setup.toUInt(nullptr, 8)) == 0);
    }

    QVERIFY2(helper.distrust(confPath()).contains(reason), qPrintable(helper.distrust(confPath())));
    QCOMPARE(helper.distrust(confPath()).isEmpty(), reason.isEmpty());
    QCOMPARE(Workplace::load(helper).isRegistered(), reason.isEmpty());
    QCOMPARE(Workplace::load(helper).isConfUnreadable(), false);
    QCOMPARE(helper.writeConf({{"a", 1}}), reason.isEmpty() || setup == QLatin1String("file"));
}

QTEST_GUILESS_MAIN(TestXHelper)
#include "tst_xhelper.moc"
