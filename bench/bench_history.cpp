#include "benchclock.h"
#include "core/calldesk.h"
#include "gui/historybook.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>

// The history with 100,000 closed calls: what start-up adds, the returning-caller lookup for
// 300 pending calls, and a search keystroke as the history window answers it.
//
//   bench_history [Qt Test options]                          the in-process figures
//   bench_history --fill <directory> <count> <site> <id>     writes a history for bench/run
namespace {

constexpr int historySize = 100000;
const QString site = QStringLiteral("http://bench.example");
const QString operatorID = QStringLiteral("{bench}");

const QStringList words = {QStringLiteral("booked"),
                           QStringLiteral("Friday"),
                           QStringLiteral("no answer"),
                           QStringLiteral("sent the price list"),
                           QStringLiteral("call back tomorrow"),
                           QStringLiteral("wrong number")};

// Numbers repeat every 30,000 calls, so most callers are returning ones; the first hundred are
// the numbers bench_site lists.
QString phoneOf(int i) {
    return QStringLiteral("+7 900 %1").arg(i % 30000, 7, 10, QLatin1Char('0'));
}

void fill(CallHistory& history, int count) {
    const QDateTime now = QDateTime::currentDateTime();
    for (int i = 0; i < count; ++i) {
        // Spread over 80 days, the newest last.
        const QDateTime closed = now.addSecs(-qint64(count - i) * 80 * 86400 / count);
        history.record({QString::number(i), QStringLiteral("Caller %1").arg(i), phoneOf(i),
                        closed.addSecs(-900), closed.addSecs(-600), closed,
                        words[i % words.size()] + QStringLiteral(" #%1").arg(i)});
    }
}

// Disk syncs are not what the figures are about; a memory file system takes them away.
QString scratchParent() {
    return QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm")
                                                     : QDir::tempPath();
}

} // namespace

class BenchHistory : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void open();
    void lookup300();
    void searchKeystroke_data();
    void searchKeystroke();

private:
    QTemporaryDir directory{scratchParent() + QStringLiteral("/bench_history-XXXXXX")};
    std::unique_ptr<CallDesk> desk;
    std::unique_ptr<HistoryBook> book;
};

void BenchHistory::initTestCase() {
    QElapsedTimer filling;
    filling.start();
    desk = std::make_unique<CallDesk>(directory.path());
    desk->setSite(site, operatorID);
    fill(desk->history(), historySize);
    qInfo("filled %d calls in %lld ms", historySize, filling.elapsed());
    book = std::make_unique<HistoryBook>(*desk);
}

// What start-up adds: the database opened, old calls pruned, the day's figures.
void BenchHistory::open() {
    BenchClock::report([this] {
        CallDesk fresh(directory.path());
        fresh.setSite(site, operatorID);
        fresh.pruneHistory(QDateTime::currentDateTime());
        QVERIFY(fresh.history().figuresOf(QDate::currentDate()).closed > 0);
    });
}

// 300 pending calls: the first 100 returning callers, the rest numbers never seen.
void BenchHistory::lookup300() {
    QStringList pending;
    for (int i = 0; i < 300; ++i) {
        pending << (i < 100 ? phoneOf(i)
                            : QStringLiteral("+7 901 %1").arg(i, 7, 10, QLatin1Char('0')));
    }
    int returning = 0;
    BenchClock::report([this, &pending, &returning] {
        returning = 0;
        for (const QString& phone : pending) {
            returning += desk->history().countSameNumber(phone) > 0 ? 1 : 0;
        }
    });
    QCOMPARE(returning, 100);
}

void BenchHistory::searchKeystroke_data() {
    QTest::addColumn<QString>("typed");
    for (const char* typed : {"b", "boo", "booked fr", "#4242", "9000042", "zzz"}) {
        QTest::addRow("%s", typed) << QString::fromLatin1(typed);
    }
}

void BenchHistory::searchKeystroke() {
    QFETCH(QString, typed);
    BenchClock::report([this, &typed] { book->search(typed); });
}

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc == 6 && qstrcmp(argv[1], "--fill") == 0) {
        // Filled where a sync costs nothing, then copied into place.
        const QTemporaryDir scratch(scratchParent() + QStringLiteral("/bench_history-XXXXXX"));
        {
            const PhoneMatcher matcher;
            CallHistory history(scratch.path(), matcher);
            history.setRegistration(QString::fromLocal8Bit(argv[4]),
                                    QString::fromLocal8Bit(argv[5]));
            fill(history, QByteArray(argv[3]).toInt());
            if (!history.isOpen()) {
                return 1;
            }
        }
        const QString target = QString::fromLocal8Bit(argv[2]);
        QDir().mkpath(target);
        return QFile::copy(scratch.filePath(QStringLiteral("history.sqlite")),
                           target + QStringLiteral("/history.sqlite"))
                   ? 0
                   : 1;
    }
    BenchHistory bench;
    return QTest::qExec(&bench, argc, argv);
}

#include "bench_history.moc"
