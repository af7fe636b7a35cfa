#include "controllerfixture.h"
#include "messageboxwatcher.h"

#include <QFile>
#include <QJsonDocument>
#include <QQmlContext>
#include <QTimer>
#include <QtTest>

#include <memory>

using Response = TestHttpServer::Response;

// The controller against a broken or hostile site: what the operator sees (the recording
// document's calls, the message boxes) and that no call and no typed result is lost.
class TestFaults : public QObject, private ControllerFixture {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void transportFault_keepsListThenRecovers_data();
    void transportFault_keepsListThenRecovers();
    void hostileReply_data();
    void hostileReply();
    void siteDownForSeveralPolls_thenBack();
    void serverErrorStorm_oneBoxAtMost();
    void selfSignedCertificate_refused();
    void failedClose_retriedWithSameText();

private:
    // The call ids and names the list shows since it was last cleared; empty if never drawn.
    QStringList shownCalls() const;
};

namespace {
const QByteArray knownCalls = R"([{"id":"1","name":"Ann","status":"0"},{"id":"2","name":"Bob"}])";
const QStringList knownShown{"1 Ann", "2 Bob"};
} // namespace

void TestFaults::init() {
    QVERIFY(listenSite());
    site->route("/vorlan/get.php", Response::json(knownCalls));
}

void TestFaults::cleanup() {
    tearDown();
}

QStringList TestFaults::shownCalls() const {
    QStringList shown;
    for (const QJsonObject& record : shownRecords()) {
        shown << record.value(QLatin1String("callID")).toString() + QLatin1Char(' ') +
                     record.value(QLatin1String("name")).toString();
    }
    return shown;
}

void TestFaults::transportFault_keepsListThenRecovers_data() {
    QTest::addColumn<Response>("fault");
    Response midBody = Response::json(R"([{"id":"3","name":"Cid"},{"id":"4","name":"Dan"}])");
    midBody.closeMidBody = true;
    QTest::newRow("connection closed mid-reply") << midBody;
    Response stalled;
    stalled.stall = true;
    QTest::newRow("site stalls, then drops the connection") << stalled;
    QTest::newRow("redirect to file://") << Response::redirect(302, "file:///etc/passwd");
    QTest::newRow("redirect to a local file path") << Response::redirect(301, "file:/etc/hosts");
    QTest::newRow("error page") << Response::text("<html>Bad gateway</html>", 502);
}

void TestFaults::transportFault_keepsListThenRecovers() {
    QFETCH(Response, fault);
    start();
    QCOMPARE(shownCalls(), knownShown);
    clearLog();
    MessageBoxWatcher boxes;

    site->enqueue("/vorlan/get.php", fault);
    // While a stalled site is awaited, events are served: timers fire, the window responds.
    // Qt's HTTP layer sends a request once more when its connection closes unanswered, so the
    // site stalls and drops twice.
    bool servedWhileWaiting = !fault.stall;
    if (fault.stall) {
        site->enqueue("/vorlan/get.php", fault);
        QTimer::singleShot(100, this, [&servedWhileWaiting] { servedWhileWaiting = true; });
        QTimer::singleShot(300, site.get(), &TestHttpServer::closeConnections);
        QTimer::singleShot(600, site.get(), &TestHttpServer::closeConnections);
    }
    gui->getDataFromServer();

    QVERIFY(servedWhileWaiting);
    QCOMPARE(log(), QStringList());
    QCOMPARE(inside().calls().keys(), (QStringList{"1", "2"}));
    QVERIFY(boxes.boxes.isEmpty());

    site->route(
        "/vorlan/get.php",
        Response::json(R"([{"id":"1","name":"Renamed","status":"1"},{"id":"5","name":"Eve"}])"));
    gui->getDataFromServer();
    QCOMPARE(shownCalls(), (QStringList{"1 Ann", "5 Eve"}));
    QCOMPARE(inside().calls().value(QStringLiteral("1")).value(QLatin1String("status")).toString(),
             QStringLiteral("1"));
}

void TestFaults::hostileReply_data() {
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QStringList>("shown");

    QByteArray huge = R"([{"id":"8","name":"Big","note":")";
    huge.append(QByteArray(20 * 1024 * 1024, 'x'));
    huge.append(R"("},{"id":"9","name":"Ivy"}])");
    QTest::newRow("20 MB reply") << huge << QStringList{"8 Big", "9 Ivy"};
    QTest::newRow("20 MB of text that is not JSON")
        << QByteArray(20 * 1024 * 1024, '[') << QStringList();
    QTest::newRow("JSON nested 2000 deep")
        << QByteArray(2000, '[') + QByteArray(2000, ']') << QStringList();
    QTest::newRow("list inside 2000-deep nesting")
        << "[" + QByteArray(1999, '[') + R"({"id":"1"})" + QByteArray(2000, ']') << QStringList();
    QTest::newRow("invalid UTF-8") << QByteArray("[{\"id\":\"\xff"
                                                 "7\",\"name\":\"\xc3\x28\xe2\x82\"}]")
                                   << QStringList{QStringLiteral("\uFFFD7 \uFFFD(\uFFFD\uFFFD")};
    QTest::newRow("object") << QByteArray(R"({"id":"1","name":"Ann"})") << QStringList();
    QTest::newRow("number") << QByteArray("42") << QStringList();
    QTest::newRow("null") << QByteArray("null") << QStringList();
    QTest::newRow("elements that are not objects")
        << QByteArray(R"([null,7,"1",[{"id":"1"}],{"id":"2","name":"Bob"}])")
        << QStringList{" ", "2 Bob"};
}

// A reply that is not a list reads as an empty one: the list is cleared and the window is not
// raised; the site still holds the calls, and the next good poll shows them again.
void TestFaults::hostileReply() {
    QFETCH(QByteArray, reply);
    QFETCH(QStringList, shown);
    start();
    clearLog();
    MessageBoxWatcher boxes;

    site->enqueue("/vorlan/get.php", Response::json(reply));
    gui->getDataFromServer();
    QCOMPARE(log().value(0), QStringLiteral("clearList"));
    QCOMPARE(shownCalls(), shown);
    QCOMPARE(log().contains(QStringLiteral("raiseWindow")), !shown.isEmpty());
    QVERIFY(boxes.boxes.isEmpty());

    gui->getDataFromServer();
    QCOMPARE(shownCalls(), knownShown);
}

void TestFaults::siteDownForSeveralPolls_thenBack() {
    start();
    clearLog();
    MessageBoxWatcher boxes;
    Response dropped = Response::json(knownCalls);
    dropped.closeMidBody = true;
    const QList<Response> down{Response::text("down", 503), dropped, Response::text("", 500),
                               Response::redirect(302, "ftp://127.0.0.1/"), dropped};
    for (const Response& fault : down) {
        site->enqueue("/vorlan/get.php", fault);
    }

    for (int poll = 0; poll < down.size(); ++poll) {
        gui->getDataFromServer();
    }
    QCOMPARE(site->requestCount(), 1 + down.size());
    QCOMPARE(log(), QStringList());
    QCOMPARE(inside().calls().keys(), (QStringList{"1", "2"}));

    gui->getDataFromServer();
    QCOMPARE(shownCalls(), knownShown);
    QVERIFY(boxes.boxes.isEmpty());
}

void TestFaults::serverErrorStorm_oneBoxAtMost() {
    start();
    clearLog();
    site->clearRequests();
    // Once the box is open, the poll timer fires every 20 ms for the second it stays open.
    MessageBoxWatcher boxes(1000);
    site->route("/vorlan/get.php", Response::json(R"({"result":"1","descr":"Site closed"})"));
    QTimer speedUp;
    connect(&speedUp, &QTimer::timeout, this, [&] {
        if (boxes.openNow > 0) {
            inside().pollTimer()->setInterval(20);
            speedUp.stop();
        }
    });
    speedUp.start(5);
    gui->getDataFromServer();
    inside().pollTimer()->stop();

    QVERIFY2(site->requestCount() > 10, qPrintable(QString::number(site->requestCount())));
    QCOMPARE(boxes.boxes.size(), 1);
    QCOMPARE(boxes.mostOpenAtOnce, 1);
    QCOMPARE(boxes.boxes.first().text, QStringLiteral("Site closed"));
    QCOMPARE(log(), QStringList());
    QCOMPARE(inside().calls().keys(), (QStringList{"1", "2"}));

    site->route("/vorlan/get.php", Response::json(knownCalls));
    gui->getDataFromServer();
    QCOMPARE(shownCalls(), knownShown);
    QCOMPARE(boxes.boxes.size(), 1);
}

void TestFaults::selfSignedCertificate_refused() {
    TestHttpServer secure;
    QVERIFY(secure.listenSecure());
    secure.route("/vorlan/get.php", Response::json(knownCalls));
    MessageBoxWatcher boxes;
    start({{QStringLiteral("server"), secure.baseUrl()}});

    QCOMPARE(log(), (QStringList{"getServer", "getOperatorID"}));
    QVERIFY(inside().calls().isEmpty());
    // The handshake failed: no request crossed the untrusted connection.
    QCOMPARE(secure.requestCount(), 0);
    QVERIFY(boxes.boxes.isEmpty());
}

void TestFaults::failedClose_retriedWithSameText() {
    start();
    site->route("/vorlan/set.php", Response::json(R"({"result":"0"})"));
    gui->startConversation(QStringLiteral("1"));
    QCOMPARE(inside().currentCallID(), QStringLiteral("1"));
    site->clearRequests();

    const QString text = QStringLiteral("Called back; wants a quote by Friday.\nПерезвонить");
    Response dropped = Response::json(R"({"result":0})");
    dropped.closeMidBody = true;
    site->enqueue("/vorlan/set.php", dropped);
    site->enqueue("/vorlan/set.php", Response::json(R"({"result":3,"descr":"Busy"})"));
    site->route("/vorlan/set.php", Response::json(R"({"result":0})"));

    QVERIFY(!gui->closeConversationSendResult(text));
    QCOMPARE(inside().calls().keys(), (QStringList{"1", "2"}));
    QVERIFY(!gui->closeConversationSendResult(text));
    QCOMPARE(inside().currentCallID(), QStringLiteral("1"));
    QCOMPARE(inside().calls().keys(), (QStringList{"1", "2"}));
    site->route("/vorlan/get.php", Response::json(R"([{"id":"2","name":"Bob"}])"));
    QVERIFY(gui->closeConversationSendResult(text));
    QVERIFY(inside().currentCallID().isEmpty());
    QCOMPARE(shownCalls(), QStringList{"2 Bob"});

    QVector<QPair<QString, QString>> closes;
    for (const auto& request : site->requests()) {
        const auto fields = request.formFields();
        if (request.path == "/vorlan/set.php") {
            closes << qMakePair(fields.value(2).second, fields.value(3).second);
        }
    }
    const QVector<QPair<QString, QString>> sameEachTime(3, qMakePair(QStringLiteral("1"), text));
    QCOMPARE(closes, sameEachTime);
}

QTEST_MAIN(TestFaults)
#include "tst_faults.moc"
