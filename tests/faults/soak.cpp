#include "gui/gui.h"
#include "processmemory.h"
#include "testhttpserver.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRandomGenerator>
#include <QTextStream>
#include <QTimer>

#include <cstdio>

// vorlan_soak [seconds]: the controller against the loopback site for that long (30 minutes
// by default) while its document polls every second and the site's list of 1,000 calls
// changes with every poll. It fails on a missed or duplicated row, or on a resident size that
// grows by 5 MB or more after the first minute. The controller is ended before the leak check
// at exit, and takes its timer and tray icon with it.
class SoakRun {
public:
    explicit SoakRun(int seconds)
        : seconds(seconds) {}
    int run();

private:
    QByteArray nextList();
    void check();
    void sampleResidentSize();

    const int seconds;
    QMap<int, QString> listed; // call id -> status, the list the site served last
    int nextId = 1;
    QStringList lastServed;
    QHash<QByteArray, qint64> servedAt; // every list served (its digest), by poll number
    qint64 oldestShownAge = 0;
    QObject* document = nullptr;
    QElapsedTimer clock;
    qint64 polls = 0;
    qint64 faults = 0;
    qint64 olderListShown = 0;
    qint64 residentAtMinuteKb = -1;
    qint64 residentNowKb = 0;
    qint64 residentPeakAfterMinuteKb = 0;
};

namespace {
constexpr int listSize = 1000;
constexpr int churn = 50; // calls that leave, arrive and change status with every poll
constexpr qint64 allowedGrowthKb = 5 * 1024;

QByteArray digest(const QStringList& rows) {
    return QCryptographicHash::hash(rows.join(QLatin1Char(' ')).toUtf8(), QCryptographicHash::Sha1);
}

} // namespace

QByteArray SoakRun::nextList() {
    auto* random = QRandomGenerator::global();
    for (int gone = 0; gone < churn && !listed.isEmpty(); ++gone) {
        listed.erase(std::next(listed.begin(), random->bounded(listed.size())));
    }
    for (int changed = 0; changed < churn && !listed.isEmpty(); ++changed) {
        auto call = std::next(listed.begin(), random->bounded(listed.size()));
        *call = QString::number(random->bounded(5));
    }
    while (listed.size() < listSize) {
        listed.insert(nextId++, QStringLiteral("0"));
    }
    QJsonArray list;
    QStringList servedRows;
    QMap<QString, QString> shownOrder; // the table's own order: ids as text
    for (auto call = listed.cbegin(); call != listed.cend(); ++call) {
        const QString id = QString::number(call.key());
        list.append(
            QJsonObject{{QStringLiteral("id"), id},
                        {QStringLiteral("create_date"), QStringLiteral("2026-12-08 06:00:00")},
                        {QStringLiteral("name"), QString(QStringLiteral("Caller ") + id)},
                        {QStringLiteral("phone"), QStringLiteral("+7 900 000 00 00")},
                        {QStringLiteral("status"), call.value()}});
        shownOrder.insert(id, call.value());
    }
    for (auto row = shownOrder.cbegin(); row != shownOrder.cend(); ++row) {
        servedRows << row.key() + QLatin1Char('|') + row.value();
    }
    servedAt.insert(digest(servedRows), polls);
    lastServed = servedRows;
    return QJsonDocument(list).toJson(QJsonDocument::Compact);
}

// Called as the next poll arrives. The list must show exactly one list the site served: the
// last one, or an earlier one when polls overlapped and the older reply was merged last.
void SoakRun::check() {
    if (lastServed.isEmpty()) {
        return;
    }
    QVariant shown;
    QMetaObject::invokeMethod(document, "shownRows", Q_RETURN_ARG(QVariant, shown));
    const QStringList rows = shown.toStringList();
    if (rows == lastServed) {
        return;
    }
    const auto served = servedAt.constFind(digest(rows));
    if (served != servedAt.constEnd()) {
        ++olderListShown;
        oldestShownAge = qMax(oldestShownAge, polls - served.value());
        return;
    }
    ++faults;
    QTextStream(stdout) << "poll " << polls << ": the list shows " << rows.size()
                        << " rows that match no list the site served" << Qt::endl;
}

void SoakRun::sampleResidentSize() {
    residentNowKb = processMemoryKiB("VmRSS");
    if (clock.elapsed() < 60000) {
        return;
    }
    if (residentAtMinuteKb < 0) {
        residentAtMinuteKb = residentNowKb;
    }
    residentPeakAfterMinuteKb = qMax(residentPeakAfterMinuteKb, residentNowKb);
    QTextStream(stdout) << clock.elapsed() / 1000 << " s: " << polls << " polls, resident "
                        << residentNowKb << " kB" << Qt::endl;
}

int SoakRun::run() {
    TestHttpServer site;
    if (!site.listen()) {
        return 2;
    }
    site.setHandler([this, &site](const TestHttpServer::Request&) {
        site.clearRequests(); // the site would otherwise keep every request it was sent
        check();
        ++polls;
        return TestHttpServer::Response::json(nextList());
    });

    QFile text(QStringLiteral(SOAK_DOCUMENT));
    if (!text.open(QIODevice::ReadOnly)) {
        return 2;
    }
    auto gui = std::make_unique<GUI>();
    clock.start();
    document = gui->start(text.readAll(), {{QStringLiteral("soakServer"), site.baseUrl()}});
    if (!document) {
        return 2;
    }

    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [this] { sampleResidentSize(); });
    sampler.start(10000);
    QTimer::singleShot(seconds * 1000, qApp, &QCoreApplication::quit);
    QCoreApplication::exec();

    gui.reset();

    const qint64 growthKb = residentPeakAfterMinuteKb - residentAtMinuteKb;
    QTextStream(stdout) << "soak: " << seconds << " s, " << polls << " polls of " << listSize
                        << " calls, " << faults << " lists shown wrong, " << olderListShown
                        << " times an older list after overlapping polls (at most "
                        << oldestShownAge << " polls old); resident " << residentAtMinuteKb
                        << " kB after the first minute, peak " << residentPeakAfterMinuteKb
                        << " kB, growth " << growthKb << " kB" << Qt::endl;
    const bool enoughPolls = polls >= seconds / 2;
    const bool flat = residentAtMinuteKb < 0 || growthKb < allowedGrowthKb;
    return faults == 0 && enoughPolls && flat ? 0 : 1;
}

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 1800;
    return SoakRun(seconds).run();
}
