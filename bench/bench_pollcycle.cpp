#include "benchclock.h"
#include "benchdata.h"
#include "gui/gui.h"
#include "net/vlrequest.h"
#include "testhttpserver.h"

#include <QEventLoop>
#include <QFile>
#include <QJsonDocument>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QtTest>

#include <memory>

using Response = TestHttpServer::Response;

namespace {

QByteArray defaultDocument() {
    QFile file(QStringLiteral(DEFAULT_MAIN_WINDOW));
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

// The controller with the default main window, loaded the way start-up loads it, polling a
// loopback site whose answer the benchmark chooses.
class Client {
public:
    Client() {
        QVERIFY(site.listen());
        site.setHandler([this](const TestHttpServer::Request&) { return Response::json(body); });
    }

    void serve(const QByteArray& list) { body = list; }

    // Starts the controller as the program does; true once the window shows with its list.
    bool start() {
        const QVariantMap workplace{{QStringLiteral("server"), site.baseUrl()},
                                    {QStringLiteral("operatorID"), QStringLiteral("{bench}")},
                                    {QStringLiteral("name"), QStringLiteral("Bench desk")}};
        window = qobject_cast<QQuickWindow*>(gui.start(
            defaultDocument(),
            {{QStringLiteral("workplace"), workplace},
             {QStringLiteral("systemTrayAvailable"), QSystemTrayIcon::isSystemTrayAvailable()}}));
        list = window ? window->findChild<QQuickItem*>(QStringLiteral("callList")) : nullptr;
        if (!list || !QTest::qWaitForWindowExposed(window)) {
            return false;
        }
        QTest::qWait(200);
        return true;
    }

    // One poll cycle: request, merge, redraw, and the first frame after the redraw.
    bool poll() {
        gui.getDataFromServer();
        return waitForFrame();
    }

    // A poll that may change nothing on screen, then time for the deferred work to settle.
    void pollQuietly() {
        gui.getDataFromServer();
        QTest::qWait(200);
    }

    QQuickItem* listView() const { return list; }

private:
    bool waitForFrame() {
        QEventLoop loop;
        const auto connection = QObject::connect(window, &QQuickWindow::frameSwapped, &loop,
                                                 &QEventLoop::quit, Qt::DirectConnection);
        QTimer::singleShot(10000, &loop, [&loop] { loop.exit(1); });
        const bool swapped = loop.exec() == 0;
        QObject::disconnect(connection);
        return swapped;
    }

    TestHttpServer site;
    QByteArray body = QByteArrayLiteral("[]");
    GUI gui;
    QQuickWindow* window = nullptr;
    QQuickItem* list = nullptr;
};

// The row's status text, wherever in the row's item tree it is drawn.
QString rowStatus(QQuickItem* row) {
    for (QQuickItem* item : row->childItems()) {
        const QString text = item->property("text").toString();
        if (text == QLatin1String("new") || text == QLatin1String("seen")) {
            return text;
        }
        const QString below = rowStatus(item);
        if (!below.isEmpty()) {
            return below;
        }
    }
    return QString();
}

} // namespace

// The whole poll cycle in the default main window, beside its floor: the same request and
// the parse of the same body alone.
class BenchPollCycle : public QObject {
    Q_OBJECT

private slots:
    void cycle_data();
    void cycle();
    void firstFill_data();
    void firstFill();
    void floor_data();
    void floor();
    void redrawKeepsPlace();
};

void BenchPollCycle::cycle_data() {
    QTest::addColumn<int>("count");
    for (const int count : {100, 10000, 100000}) {
        QTest::addRow("%d", count) << count;
    }
}

void BenchPollCycle::cycle() {
    QFETCH(int, count);
    // Every poll brings the same calls with the first one's status flipped, as a busy site
    // does, so that each redraw has something to show.
    const QByteArray lists[] = {BenchData::siteList(count, 0), BenchData::siteList(count, 1)};
    Client client;
    client.serve(lists[0]);
    QVERIFY(client.start());
    int polls = 0;
    bool framed = true;
    BenchClock::report([&] {
        client.serve(lists[++polls % 2]);
        framed = client.poll() && framed;
    });
    QVERIFY(framed);
}

void BenchPollCycle::firstFill_data() {
    cycle_data();
}

void BenchPollCycle::firstFill() {
    QFETCH(int, count);
    const QByteArray calls = BenchData::siteList(count);
    Client client;
    QVERIFY(client.start());
    bool framed = true;
    BenchClock::report([&] { framed = client.poll() && framed; },
                       [&] {
                           client.serve(QByteArrayLiteral("[]"));
                           client.pollQuietly();
                           client.serve(calls);
                       });
    QVERIFY(framed);
}

void BenchPollCycle::floor_data() {
    cycle_data();
}

void BenchPollCycle::floor() {
    QFETCH(int, count);
    TestHttpServer site;
    QVERIFY(site.listen());
    site.route("/vorlan/get.php", Response::json(BenchData::siteList(count)));
    int listed = count;
    BenchClock::report([&] {
        VLRequest request(nullptr);
        request.setRequestUrl(site.url("/vorlan/get.php"));
        request.setMethod(QStringLiteral("post"));
        request.addQueryItem(QStringLiteral("type"), QStringLiteral("2"));
        request.addQueryItem(QStringLiteral("operator"), QStringLiteral("{bench}"));
        request.addQueryItem(QStringLiteral("apiVer"), QStringLiteral("1"));
        request.exec();
        listed = QJsonDocument::fromJson(request.replyText).array().size();
    });
    QCOMPARE(listed, count);
}

void BenchPollCycle::redrawKeepsPlace() {
    const int count = 10000;
    Client client;
    client.serve(BenchData::siteList(count));
    QVERIFY(client.start());
    QQuickItem* view = client.listView();
    QCOMPARE(view->property("count").toInt(), count);

    const qreal place = view->property("contentHeight").toReal() / 2;
    view->setProperty("contentY", place);
    QTest::qWait(200);
    QQuickItem* row = nullptr;
    QMetaObject::invokeMethod(view, "itemAt", Q_RETURN_ARG(QQuickItem*, row), Q_ARG(qreal, 10),
                              Q_ARG(qreal, place + 10));
    QVERIFY(row);

    client.pollQuietly();
    QCOMPARE(view->property("contentY").toReal(), place);
    QQuickItem* sameRow = nullptr;
    QMetaObject::invokeMethod(view, "itemAt", Q_RETURN_ARG(QQuickItem*, sameRow), Q_ARG(qreal, 10),
                              Q_ARG(qreal, place + 10));
    QCOMPARE(sameRow, row);

    // A changed status shows in the row that is already there.
    view->setProperty("contentY", 0);
    QTest::qWait(200);
    QMetaObject::invokeMethod(view, "itemAt", Q_RETURN_ARG(QQuickItem*, row), Q_ARG(qreal, 10),
                              Q_ARG(qreal, 10));
    QVERIFY(row);
    QCOMPARE(rowStatus(row), QStringLiteral("new"));
    client.serve(BenchData::siteList(count, 1));
    QVERIFY(client.poll());
    QMetaObject::invokeMethod(view, "itemAt", Q_RETURN_ARG(QQuickItem*, sameRow), Q_ARG(qreal, 10),
                              Q_ARG(qreal, 10));
    QCOMPARE(sameRow, row);
    QCOMPARE(rowStatus(row), QStringLiteral("seen"));
    QCOMPARE(view->property("contentY").toReal(), 0.0);
}

QTEST_MAIN(BenchPollCycle)
#include "bench_pollcycle.moc"
