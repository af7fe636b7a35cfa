#include "core/phonematcher.h"
#include "storage/callhistory.h"
#include "storage/xhelper.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

namespace {

QStringList idsOf(const QList<CallHistory::Entry>& entries) {
    QStringList ids;
    for (const CallHistory::Entry& entry : entries) {
        ids << entry.callID;
    }
    return ids;
}

} // namespace

// The history keeps registrations apart, finds a caller by number and by words, forgets on time
// and on request, and survives a damaged or full file without failing anything else.
class TestCallHistory : public QObject {
    Q_OBJECT

private slots:
    void init();
    void record_keepsRegistrationsApartAcrossRestarts();
    void search_findsWordsFromTheIndex_data();
    void search_findsWordsFromTheIndex();
    void prune_dropsWhatIsOlderThanTheDaysKept_data();
    void prune_dropsWhatIsOlderThanTheDaysKept();
    void daysKept_readFromConf_data();
    void daysKept_readFromConf();
    void damagedFile_isMovedAsideAndANewOneStarted();
    void fullDisk_failsTheRecordOnly();

private:
    CallHistory::Entry entry(const QString& id, const QString& phone, const QString& result,
                             const QDateTime& closed = QDateTime::currentDateTime()) const;

    std::unique_ptr<QTemporaryDir> dir;
    const PhoneMatcher matcher{QStringLiteral("RU")};
    const QString site = QStringLiteral("http://site.example");
};

void TestCallHistory::init() {
    dir = std::make_unique<QTemporaryDir>();
}

CallHistory::Entry TestCallHistory::entry(const QString& id, const QString& phone,
                                          const QString& result, const QDateTime& closed) const {
    return {id,
            QStringLiteral("Caller ") + id,
            phone,
            closed.addSecs(-600),
            closed.addSecs(-300),
            closed,
            result};
}

void TestCallHistory::record_keepsRegistrationsApartAcrossRestarts() {
    {
        CallHistory first(dir->path(), matcher);
        first.setRegistration(site, QStringLiteral("{op-1}"));
        QVERIFY(first.record(entry(QStringLiteral("1"), QStringLiteral("+7 (900) 555-01-00"),
                                   QStringLiteral("Agreed on Monday"))));
        QVERIFY(first.record(entry(QStringLiteral("2"), QStringLiteral("8 900 555 0100"),
                                   QStringLiteral("Sent the price list"))));
        QVERIFY(first.record(entry(QStringLiteral("3"), QStringLiteral("+7 900 555 0199"),
                                   QStringLiteral("Other caller"))));
    }
    QCOMPARE(QFileInfo(dir->filePath(QStringLiteral("history.sqlite"))).permissions() & 0x0077,
             QFileDevice::Permissions());

    CallHistory again(dir->path(), matcher);
    again.setRegistration(site, QStringLiteral("{op-1}"));
    const QList<CallHistory::Entry> earlier = again.sameNumber(QStringLiteral("89005550100"));
    QCOMPARE(earlier.size(), 2);
    QCOMPARE(earlier.first().result, QStringLiteral("Sent the price list"));
    QCOMPARE(again.figuresOf(QDate::currentDate()).closed, 3);
    QCOMPARE(again.figuresOf(QDate::currentDate()).medianTakeSeconds, 300);

    CallHistory other(dir->path(), matcher);
    other.setRegistration(site, QStringLiteral("{op-2}"));
    QVERIFY(other.sameNumber(QStringLiteral("89005550100")).isEmpty());
    QVERIFY(other.search(QString(), 10).isEmpty());
    QCOMPARE(other.figuresOf(QDate::currentDate()).closed, 0);

    QVERIFY(other.forget());
    QCOMPARE(again.search(QString(), 10).size(), 3);
    QVERIFY(again.forget());
    QVERIFY(again.search(QString(), 10).isEmpty());
}

void TestCallHistory::search_findsWordsFromTheIndex_data() {
    QTest::addColumn<QString>("words");
    QTest::addColumn<QStringList>("found");
    QTest::newRow("word start, any case") << "перезв" << QStringList{"2"};
    QTest::newRow("every word") << "price monday" << QStringList{"1"};
    QTest::newRow("name") << "caller 3" << QStringList{"3"};
    QTest::newRow("phone digits") << "900555" << QStringList{"3", "1"};
    QTest::newRow("phone as typed") << "555-01" << QStringList{"1"};
    QTest::newRow("query syntax is text") << "\"price\" OR NEAR(" << QStringList{};
    QTest::newRow("no words: all, newest first") << "  " << QStringList{"3", "2", "1"};
}

void TestCallHistory::search_findsWordsFromTheIndex() {
    QFETCH(QString, words);
    QFETCH(QStringList, found);
    CallHistory history(dir->path(), matcher);
    history.setRegistration(site, QStringLiteral("{op}"));
    const QDateTime now = QDateTime::currentDateTime();
    history.record(entry(QStringLiteral("1"), QStringLiteral("+7 900 555-01-00"),
                         QStringLiteral("Price list on Monday"), now.addSecs(-20)));
    history.record(entry(QStringLiteral("2"), QStringLiteral("+44 20 7946 0000"),
                         QStringLiteral("ПЕРЕЗВОНИТЬ завтра"), now.addSecs(-10)));
    history.record(entry(QStringLiteral("3"), QStringLiteral("+7 900 555-77-00"),
                         QStringLiteral("Price asked"), now));
    QCOMPARE(idsOf(history.search(words, 10)), found);
}

void TestCallHistory::prune_dropsWhatIsOlderThanTheDaysKept_data() {
    QTest::addColumn<int>("days");
    QTest::addColumn<QStringList>("kept");
    QTest::newRow("90 days") << 90 << QStringList{"today", "89 days"};
    QTest::newRow("1 day") << 1 << QStringList{"today"};
    QTest::newRow("0 keeps nothing") << 0 << QStringList{};
}

void TestCallHistory::prune_dropsWhatIsOlderThanTheDaysKept() {
    QFETCH(int, days);
    QFETCH(QStringList, kept);
    CallHistory history(dir->path(), matcher);
    history.setRegistration(site, QStringLiteral("{op}"));
    const QDateTime now = QDateTime::currentDateTime();
    history.record(entry(QStringLiteral("91 days"), QStringLiteral("1"), QStringLiteral("a"),
                         now.addDays(-91)));
    history.record(entry(QStringLiteral("89 days"), QStringLiteral("2"), QStringLiteral("b"),
                         now.addDays(-89)));
    history.record(entry(QStringLiteral("today"), QStringLiteral("3"), QStringLiteral("c"), now));
    history.prune(days, now);
    QCOMPARE(idsOf(history.search(QString(), 10)), kept);
    // The index forgets with the table.
    QVERIFY(history.search(QStringLiteral("a"), 10).isEmpty());
}

void TestCallHistory::daysKept_readFromConf_data() {
    QTest::addColumn<QByteArray>("conf");
    QTest::addColumn<int>("days");
    QTest::newRow("missing") << QByteArray() << 90;
    QTest::newRow("not a member") << QByteArray(R"({"server":"x"})") << 90;
    QTest::newRow("thirty") << QByteArray(R"({"historyDays":30})") << 30;
    QTest::newRow("zero keeps nothing") << QByteArray(R"({"historyDays":0})") << 0;
    QTest::newRow("negative") << QByteArray(R"({"historyDays":-5})") << 90;
    QTest::newRow("fraction") << QByteArray(R"({"historyDays":1.5})") << 90;
    QTest::newRow("text") << QByteArray(R"({"historyDays":"30"})") << 90;
    QTest::newRow("beyond a century") << QByteArray(R"({"historyDays":1e9})") << 90;
}

void TestCallHistory::daysKept_readFromConf() {
    QFETCH(QByteArray, conf);
    QFETCH(int, days);
    XHelper helper;
    QFile file(helper.confPath());
    file.remove();
    if (!conf.isEmpty()) {
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(conf);
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        file.close();
    }
    QCOMPARE(CallHistory::daysKept(helper), days);
}

void TestCallHistory::damagedFile_isMovedAsideAndANewOneStarted() {
    QFile damaged(dir->filePath(QStringLiteral("history.sqlite")));
    QVERIFY(damaged.open(QIODevice::WriteOnly));
    damaged.write(QByteArray(8192, 'x'));
    damaged.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    damaged.close();

    CallHistory history(dir->path(), matcher);
    history.setRegistration(site, QStringLiteral("{op}"));
    QVERIFY(history.isOpen());
    QVERIFY(
        history.record(entry(QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("kept"))));
    const QStringList aside =
        QDir(dir->path()).entryList({QStringLiteral("history.sqlite.damaged-*")});
    QCOMPARE(aside.size(), 1);
    QCOMPARE(QFileInfo(dir->filePath(aside.first())).size(), 8192);
}

// A file size limit fails writes as a full disk does, without mounting anything.
void TestCallHistory::fullDisk_failsTheRecordOnly() {
    CallHistory history(dir->path(), matcher);
    history.setRegistration(site, QStringLiteral("{op}"));
    QVERIFY(
        history.record(entry(QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("fits"))));

    std::signal(SIGXFSZ, SIG_IGN);
    rlimit original{};
    getrlimit(RLIMIT_FSIZE, &original);
    rlimit limited = original;
    limited.rlim_cur = QFileInfo(history.path()).size();
    setrlimit(RLIMIT_FSIZE, &limited);
    bool recorded = true;
    for (int i = 1; i <= 50 && recorded; ++i) {
        recorded = history.record(
            entry(QString::number(i), QStringLiteral("1"), QString(2000, QLatin1Char('r'))));
    }
    setrlimit(RLIMIT_FSIZE, &original);
    QVERIFY(!recorded);
    QVERIFY(history.isOpen());
    QVERIFY(QDir(dir->path()).entryList({QStringLiteral("*.damaged-*")}).isEmpty());
    QCOMPARE(history.search(QStringLiteral("fits"), 10).size(), 1);
    QVERIFY(history.record(
        entry(QStringLiteral("after"), QStringLiteral("1"), QStringLiteral("room again"))));
}

QTEST_GUILESS_MAIN(TestCallHistory)
#include "tst_callhistory.moc"
