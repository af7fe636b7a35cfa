#include "core/calldesk.h"
#include "testhttpserver.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using Response = TestHttpServer::Response;

namespace {

// What a site under maintenance, or a proxy in front of it, answers every request with.
Response maintenancePage() {
    Response page = Response::text("<html><body>Back soon</body></html>");
    page.headers = {{"Content-Type", "text/html"}};
    return page;
}

// A list whose reply offers the events channel at "/events".
Response offeringEvents(const QByteArray& list) {
    Response reply = Response::json(list);
    reply.headers.append(
        qMakePair(QByteArray("Link"), QByteArray(R"(</events>; rel="vorlan-events")")));
    return reply;
}

QStringList idsOf(const QList<QJsonObject>& records) {
    QStringList ids;
    for (const QJsonObject& record : records) {
        ids << record.value(CallRecords::idKey).toString();
    }
    return ids;
}

} // namespace

// The desk's rules, without a display: what a poll, a take and a close leave in the table and
// announce, against a loopback site.
class TestCallDesk : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void poll_announcesEachListedCallOnce_data();
    void poll_announcesEachListedCallOnce();
    void takeThenClose_walksTheCallOffTheTable();
    void take_maintenancePageTakesNothing_data();
    void take_maintenancePageTakesNothing();
    void sendResult_keepsCallAndDraftUntilConfirmed_data();
    void sendResult_keepsCallAndDraftUntilConfirmed();
    void restart_announcesOnlyWhatArrivedMeanwhile();
    void heldCalls_nameEveryCallWithAnUnsentResult();
    void siteText_cannotFakeALineOrReorderOne();
    void closedCall_staysClosedAgainstAnEarlierList_data();
    void closedCall_staysClosedAgainstAnEarlierList();
    void notice_staysAboutAMinute();
    void twoRoads_mergeAsOne_data();
    void twoRoads_mergeAsOne();
    void sendResult_confirmedWhenTheHistoryCannotBeOpened();

private:
    std::unique_ptr<TestHttpServer> site;
    std::unique_ptr<QTemporaryDir> state;
    std::unique_ptr<CallDesk> desk;
};

void TestCallDesk::init() {
    site = std::make_unique<TestHttpServer>();
    QVERIFY(site->listen());
    state = std::make_unique<QTemporaryDir>();
    desk = std::make_unique<CallDesk>(state->path());
    desk->setSite(site->baseUrl(), QStringLiteral("{op-1}"));
}

void TestCallDesk::cleanup() {
    desk.reset();
    site.reset();
}

// Each row: the site's replies to successive polls, and what each poll announced ("-" when the
// poll failed or was refused and announced nothing).
void TestCallDesk::poll_announcesEachListedCallOnce_data() {
    QTest::addColumn<QList<Response>>("replies");
    QTest::addColumn<QStringList>("announced");
    QTest::addColumn<QStringList>("tableAfter");
    const Response one = Response::json(R"([{"id":"1"}])");
    const Response oneTwo = Response::json(R"([{"id":"2"},{"id":"1"}])");
    QTest::newRow("new calls only") << QList<Response>{one, oneTwo, oneTwo}
                                    << QStringList{"1", "2", ""} << QStringList{"1", "2"};
    QTest::newRow("a call listed again after a gap is new again")
        << QList<Response>{one, Response::json("[]"), one} << QStringList{"1", "", "1"}
        << QStringList{"1"};
    QTest::newRow("a failed poll keeps table and memory")
        << QList<Response>{one, Response::text("down", 503), oneTwo} << QStringList{"1", "-", "2"}
        << QStringList{"1", "2"};
    QTest::newRow("a maintenance page keeps table and memory")
        << QList<Response>{oneTwo, maintenancePage(), Response::text("garbage["), oneTwo}
        << QStringList{"1 2", "-", "-", ""} << QStringList{"1", "2"};
    QTest::newRow("a refused poll keeps table and memory")
        << QList<Response>{oneTwo, Response::json(R"({"result":"1","descr":"closed"})"), oneTwo}
        << QStringList{"1 2", "-", ""} << QStringList{"1", "2"};
}

void TestCallDesk::poll_announcesEachListedCallOnce() {
    QFETCH(QList<Response>, replies);
    QFETCH(QStringList, announced);
    QFETCH(QStringList, tableAfter);
    QSignalSpy arrived(desk.get(), &CallDesk::callsArrived);
    QStringList seen;
    for (const Response& reply : replies) {
        site->enqueue("/vorlan/get.php", reply);
        arrived.clear();
        desk->poll();
        seen << (arrived.isEmpty()
                     ? QStringLiteral("-")
                     : idsOf(arrived.first().first().value<QList<QJsonObject>>()).join(' '));
    }
    QCOMPARE(seen, announced);
    QCOMPARE(desk->calls().keys(), tableAfter);
}

void TestCallDesk::takeThenClose_walksTheCallOffTheTable() {
    site->enqueue(
        "/vorlan/get.php",
        Response::json(R"([{"id":"5","name":"Ann","phone":"+7 900 555-01-00"},{"id":"6"}])"));
    desk->poll();
    connect(desk.get(), &CallDesk::callTaken, desk.get(),
            [this](const QString& id) { desk->openConversation(id); });
    site->route("/vorlan/set.php", Response::json(R"({"result":"0"})"));
    // The site lists the call no more once taken; its record stays for the conversation.
    site->route("/vorlan/get.php", Response::json(R"([{"id":"6"}])"));
    desk->take(QStringLiteral("5"));
    QCOMPARE(desk->currentCallID(), QStringLiteral("5"));
    QCOMPARE(desk->recordFor(QStringLiteral("5")).value(CallRecords::nameKey).toString(),
             QStringLiteral("Ann"));
    QVERIFY(desk->drafts().keep(QStringLiteral("5"), QStringLiteral("Call back at six")));
    QVERIFY(desk->holdsUnsentResult());

    QSignalSpy redrawn(desk.get(), &CallDesk::tableChanged);
    QVERIFY(desk->sendResult(QStringLiteral("Called back")));
    QVERIFY(desk->currentCallID().isEmpty());
    QVERIFY(!desk->holdsUnsentResult());
    QCOMPARE(desk->calls().keys(), QStringList{"6"});
    QCOMPARE(redrawn.size(), 2); // the close's own redraw, then the follow-up poll's
    const auto sets = site->requests();
    QStringList actions;
    for (const auto& request : sets) {
        actions << QString::fromLatin1(request.path) + QLatin1Char(' ') +
                       request.formFields().value(0).second;
    }
    QCOMPARE(actions,
             (QStringList{"/vorlan/get.php 2", "/vorlan/set.php process", "/vorlan/get.php 2",
                          "/vorlan/set.php close", "/vorlan/get.php 2"}));
    // The history takes the close once it is done with, as the operator took it.
    QTRY_COMPARE(desk->history().sameNumber(QStringLiteral("+79005550100")).size(), 1);
    const CallHistory::Entry recorded =
        desk->history().sameNumber(QStringLiteral("+79005550100")).first();
    QCOMPARE(recorded.name, QStringLiteral("Ann"));
    QCOMPARE(recorded.result, QStringLiteral("Called back"));
    QVERIFY(recorded.taken.isValid() && recorded.taken <= recorded.closed);
}

// Only a reply that is JSON, or empty, is the site's word; anything else takes nothing and says
// so, with no follow-up poll.
void TestCallDesk::take_maintenancePageTakesNothing_data() {
    QTest::addColumn<Response>("reply");
    QTest::addColumn<QString>("reason");
    QTest::newRow("HTML page") << maintenancePage() << "HTTP 200, text/html";
    QTest::newRow("proxy text") << Response::text("OK") << "HTTP 200, text/plain";
}

void TestCallDesk::take_maintenancePageTakesNothing() {
    QFETCH(Response, reply);
    QFETCH(QString, reason);
    site->route("/vorlan/get.php", Response::json(R"([{"id":"5"}])"));
    desk->poll();
    site->clearRequests();
    site->route("/vorlan/set.php", reply);
    QSignalSpy taken(desk.get(), &CallDesk::callTaken);
    desk->take(QStringLiteral("5"));
    QVERIFY(taken.isEmpty());
    QCOMPARE(site->requestCount(), 1);
    QVERIFY(desk->status().isFailing());
    QVERIFY2(desk->status().state().contains(reason), qPrintable(desk->status().state()));
    QVERIFY2(desk->status().notice().contains(reason), qPrintable(desk->status().notice()));
}

void TestCallDesk::sendResult_keepsCallAndDraftUntilConfirmed_data() {
    QTest::addColumn<Response>("reply");
    QTest::addColumn<bool>("confirmed");
    QTest::newRow("confirmed") << Response::json(R"({"result":0})") << true;
    QTest::newRow("refused") << Response::json(R"({"result":2,"descr":"not yours"})") << false;
    QTest::newRow("unreachable") << Response::text("busy", 500) << false;
    QTest::newRow("maintenance page") << maintenancePage() << false;
    QTest::newRow("empty body") << Response::json("") << true;
    QTest::newRow("bare JSON number") << Response::json("0") << true;
}

void TestCallDesk::sendResult_keepsCallAndDraftUntilConfirmed() {
    QFETCH(Response, reply);
    QFETCH(bool, confirmed);
    site->route("/vorlan/get.php", Response::json(R"([{"id":"5"}])"));
    desk->poll();
    desk->openConversation(QStringLiteral("5"));
    QVERIFY(desk->drafts().keep(QStringLiteral("5"), QStringLiteral("typed")));
    site->route("/vorlan/set.php", reply);
    // The site still lists the call either way: only the close's own outcome decides.
    QCOMPARE(desk->sendResult(QStringLiteral("typed")), confirmed);
    QCOMPARE(desk->drafts().has(QStringLiteral("5")), !confirmed);
    QCOMPARE(desk->currentCallID(), confirmed ? QString() : QStringLiteral("5"));
}

void TestCallDesk::restart_announcesOnlyWhatArrivedMeanwhile() {
    site->route("/vorlan/get.php", Response::json(R"([{"id":"1"},{"id":"2"}])"));
    desk->poll();
    site->route("/vorlan/get.php",
                Response::json(R"([{"id":"1"},{"id":"2"},{"id":"3","status":"processing"},
                                   {"id":"4","status":"new"}])"));
    const auto announcedAfterStart = [this](const QString& operatorID) {
        desk = std::make_unique<CallDesk>(state->path());
        desk->setSite(site->baseUrl(), operatorID);
        QSignalSpy arrived(desk.get(), &CallDesk::callsArrived);
        desk->poll();
        return idsOf(arrived.value(0).value(0).value<QList<QJsonObject>>());
    };
    // Call 3 is this operator's own: the site lists it as being processed.
    QCOMPARE(announcedAfterStart(QStringLiteral("{op-1}")), QStringList{"4"});
    QCOMPARE(announcedAfterStart(QStringLiteral("{op-1}")), QStringList());
    QCOMPARE(announcedAfterStart(QStringLiteral("{op-2}")), (QStringList{"1", "2", "4"}));
}

// Two calls taken, the draft on the earlier one, which the site no longer lists: quitting must
// still ask, and the bar must still name both; after a restart the draft's call is held again.
void TestCallDesk::heldCalls_nameEveryCallWithAnUnsentResult() {
    connect(desk.get(), &CallDesk::callTaken, desk.get(),
            [this](const QString& id) { desk->openConversation(id); });
    site->route("/vorlan/get.php", Response::json(R"([{"id":"5","name":"Ann"},{"id":"6"}])"));
    site->route("/vorlan/set.php", Response::json(R"({"result":"0"})"));
    desk->poll();
    desk->take(QStringLiteral("5"));
    QVERIFY(desk->drafts().keep(QStringLiteral("5"), QStringLiteral("call back at six")));
    site->route("/vorlan/get.php", Response::json(R"([{"id":"6","status":"processing"}])"));
    desk->take(QStringLiteral("6"));
    QCOMPARE(desk->currentCallID(), QStringLiteral("6"));
    QVERIFY(desk->holdsUnsentResult());
    const auto heldIds = [this] {
        QStringList ids;
        for (const QVariant& call : desk->heldCalls().records()) {
            ids << call.toMap().value(CallRecords::idKey).toString();
        }
        return ids;
    };
    QCOMPARE(heldIds(), (QStringList{"5", "6"}));
    QCOMPARE(desk->heldCalls().records().first().toMap().value("name").toString(),
             QStringLiteral("Ann"));

    site->route("/vorlan/get.php", Response::json(R"([{"id":"5","status":"processing"}])"));
    desk = std::make_unique<CallDesk>(state->path());
    desk->setSite(site->baseUrl(), QStringLiteral("{op-1}"));
    desk->poll();
    QCOMPARE(heldIds(), QStringList{"5"});
    QVERIFY(desk->holdsUnsentResult());
}

// What a visitor typed is shown on one line and in its own order; the identifier goes back to
// the site exactly as it came.
void TestCallDesk::siteText_cannotFakeALineOrReorderOne() {
    const QJsonObject element{
        {"id", QStringLiteral("7\t\u202E")},
        {"name", QStringLiteral("Olga\n+1 900 555 0100 (call this one)\n\u202Eevil\u202C")},
        {"phone", QStringLiteral("+7 900\u2028555")},
        {"status", QStringLiteral("new\r")},
        {"create_date", QStringLiteral("2026-12-09\u000b10:00")}};
    const QString emoji = QStringLiteral("Анна 👩\u200D👩\u200D👧 أحمد");
    site->route(
        "/vorlan/get.php",
        Response::json(QJsonDocument(QJsonArray{element, QJsonObject{{"id", "8"}, {"name", emoji}}})
                           .toJson()));
    desk->poll();
    const QJsonObject record = desk->calls().value(QStringLiteral("7\t\u202E"));
    QCOMPARE(record.value("name").toString(),
             QStringLiteral("Olga +1 900 555 0100 (call this one) \uFFFDevil\uFFFD"));
    QCOMPARE(record.value("phone").toString(), QStringLiteral("+7 900 555"));
    QCOMPARE(record.value("status").toString(), QStringLiteral("new "));
    QCOMPARE(record.value("cr_date").toString(), QStringLiteral("2026-12-09   10:00"));
    QCOMPARE(desk->calls().value(QStringLiteral("8")).value("name").toString(), emoji);

    site->route(
        "/vorlan/set.php",
        Response::json(
            QJsonDocument(QJsonObject{{"result", "1"}, {"descr", "مشغول\nCall +1 555"}}).toJson()));
    desk->take(QStringLiteral("8"));
    QCOMPARE(
        desk->status().notice(),
        QStringLiteral("The site did not hand over the request: \u2068مشغول Call +1 555\u2069"));
}

// A slow site's list that left before the close was confirmed must not bring the call back,
// whether the close's own follow-up poll answered first or failed.
void TestCallDesk::closedCall_staysClosedAgainstAnEarlierList_data() {
    QTest::addColumn<Response>("followUp");
    QTest::newRow("follow-up poll answers first") << Response::json("[]");
    QTest::newRow("follow-up poll fails") << Response::text("down", 503);
}

void TestCallDesk::closedCall_staysClosedAgainstAnEarlierList() {
    QFETCH(Response, followUp);
    site->enqueue("/vorlan/get.php", Response::json(R"([{"id":"5"}])"));
    desk->poll();
    desk->openConversation(QStringLiteral("5"));
    Response earlier = Response::json(R"([{"id":"5","status":"new"}])");
    earlier.delayMs = 600;
    site->enqueue("/vorlan/get.php", earlier);
    site->enqueue("/vorlan/get.php", followUp);
    site->route("/vorlan/set.php", Response::json(R"({"result":0})"));
    bool confirmed = false;
    QTimer::singleShot(150, desk.get(),
                       [&] { confirmed = desk->sendResult(QStringLiteral("Called back")); });
    QSignalSpy arrived(desk.get(), &CallDesk::callsArrived);
    desk->poll();
    QVERIFY(confirmed);
    QVERIFY(desk->calls().isEmpty());
    for (const auto& announcement : arrived) {
        QVERIFY(announcement.first().value<QList<QJsonObject>>().isEmpty());
    }
}

// The operator may have looked away after the click: the notice waits about a minute for them.
void TestCallDesk::notice_staysAboutAMinute() {
    SiteStatus status;
    status.actionRefused(SiteStatus::Action::Take, QStringLiteral("busy"));
    QTimer* const expiry = status.findChild<QTimer*>();
    QVERIFY(expiry && expiry->isActive());
    QVERIFY2(expiry->remainingTime() > 50000 && expiry->remainingTime() < 70000,
             qPrintable(QString::number(expiry->remainingTime())));
    QVERIFY(!status.notice().isEmpty());
    expiry->start(0);
    QTRY_VERIFY(status.notice().isEmpty());
}

// Each row: steps on the two roads, what each announced ("-": no announcement), and the table
// after them as "id:status". A step is "poll LIST", "event MESSAGE", "slow LIST MESSAGE" (the
// event arrives while that poll's reply is on its way), "take ID LIST" (the follow-up poll's
// list) or "talk ID" (the call is opened for a conversation).
void TestCallDesk::twoRoads_mergeAsOne_data() {
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("announced");
    QTest::addColumn<QStringList>("tableAfter");
    const QString new5 = R"({"new":[{"id":"5","name":"Ann","status":"new"}]})";
    const QString gone5 = R"({"gone":["5"]})";
    QTest::newRow("an event first, then the poll: announced once")
        << QStringList{"poll []", "event " + new5, R"(poll [{"id":"5","status":"new"}])"}
        << QStringList{"", "5", ""} << QStringList{"5:new"};
    QTest::newRow("a poll first, then the event: announced once")
        << QStringList{R"(poll [{"id":"5","status":"new"}])", "event " + new5}
        << QStringList{"5", "-"} << QStringList{"5:new"};
    QTest::newRow("both at once in one message")
        << QStringList{R"(poll [{"id":"5","status":"new"},{"id":"6","status":"new"}])",
                       R"(event {"new":[{"id":"7","status":"new"}],"gone":["6"]})"}
        << QStringList{"5 6", "7"} << QStringList{"5:new", "7:new"};
    QTest::newRow("gone leaves a call taken elsewhere only when new")
        << QStringList{R"(poll [{"id":"5","status":"new"},{"id":"6","status":"processing"}])",
                       R"(event {"gone":["5","6","9"]})"}
        << QStringList{"5", ""} << QStringList{"6:processing"};
    QTest::newRow("gone never takes the call taken here")
        << QStringList{R"(poll [{"id":"5","status":"new"}])",
                       R"(take 5 [{"id":"5","status":"new"}])", "event " + gone5}
        << QStringList{"5", "", "-"} << QStringList{"5:new"};
    QTest::newRow("gone never takes the call in conversation")
        << QStringList{R"(poll [{"id":"5","status":"new"}])", "talk 5", "event " + gone5}
        << QStringList{"5", "-", "-"} << QStringList{"5:new"};
    QTest::newRow("a poll on its way does not undo an arrival")
        << QStringList{"poll []", "slow [] " + new5, R"(poll [{"id":"5","status":"new"}])"}
        << QStringList{"", "5", ""} << QStringList{"5:new"};
    QTest::newRow("a poll on its way does not bring back a gone call")
        << QStringList{R"(poll [{"id":"5","status":"new"}])",
                       R"(slow [{"id":"5","status":"new"}] )" + gone5, "poll []"}
        << QStringList{"5", "", ""} << QStringList{};
    QTest::newRow("the site's word after the event stands")
        << QStringList{"poll []", "event " + new5, "poll []"} << QStringList{"", "5", ""}
        << QStringList{};
}

void TestCallDesk::twoRoads_mergeAsOne() {
    QFETCH(QStringList, steps);
    QFETCH(QStringList, announced);
    QFETCH(QStringList, tableAfter);
    site->route("/vorlan/set.php", Response::json(R"({"result":"0"})"));
    Response stream;
    stream.headers = {{"Content-Type", "text/event-stream"}};
    stream.holdOpen = true;
    site->route("/events", stream);
    connect(desk.get(), &CallDesk::callTaken, desk.get(),
            [this](const QString& id) { desk->openConversation(id); });
    auto* const channel = desk->findChild<EventStream*>();
    QVERIFY(channel);
    QSignalSpy events(channel, &EventStream::message);
    QSignalSpy arrived(desk.get(), &CallDesk::callsArrived);
    const auto push = [this, channel](const QString& message) {
        QTRY_VERIFY(channel->isLive());
        site->push("data: " + message.toUtf8() + "\n\n");
    };
    QStringList seen;
    for (const QString& step : steps) {
        const QString verb = step.section(' ', 0, 0);
        const QString rest = step.section(' ', 1);
        arrived.clear();
        events.clear();
        if (verb == "poll") {
            site->enqueue("/vorlan/get.php", offeringEvents(rest.toUtf8()));
            desk->poll();
        } else if (verb == "event") {
            push(rest);
            QVERIFY(events.wait());
        } else if (verb == "slow") {
            Response slow = offeringEvents(rest.section(' ', 0, 0).toUtf8());
            slow.delayMs = 600;
            site->enqueue("/vorlan/get.php", slow);
            QTimer::singleShot(150, desk.get(), [&] { push(rest.section(' ', 1)); });
            desk->poll();
            QCOMPARE(events.size(), 1);
        } else if (verb == "take") {
            site->enqueue("/vorlan/get.php", offeringEvents(rest.section(' ', 1).toUtf8()));
            desk->take(rest.section(' ', 0, 0));
        } else {
            desk->openConversation(rest);
        }
        QStringList ids;
        for (const auto& announcement : arrived) {
            ids << idsOf(announcement.first().value<QList<QJsonObject>>());
        }
        seen << (arrived.isEmpty() ? QStringLiteral("-") : ids.join(' '));
    }
    QCOMPARE(seen, announced);
    QStringList table;
    for (const QJsonObject& call : desk->calls()) {
        table << call.value(CallRecords::idKey).toString() + ':' +
                     call.value(CallRecords::statusKey).toString();
    }
    QCOMPARE(table, tableAfter);
    // One stream for all the steps: the same address offered again opens nothing new.
    QCOMPARE(site->requests().count() -
                 std::count_if(site->requests().cbegin(), site->requests().cend(),
                               [](const auto& request) { return request.path != "/events"; }),
             1);
}

// Where the history cannot even be created, closes go on as before.
void TestCallDesk::sendResult_confirmedWhenTheHistoryCannotBeOpened() {
    QTemporaryDir blocked;
    QVERIFY(QDir(blocked.path()).mkdir(QStringLiteral("history.sqlite")));
    CallDesk withoutHistory(blocked.path());
    withoutHistory.setSite(site->baseUrl(), QStringLiteral("{op-1}"));
    QVERIFY(!withoutHistory.history().isOpen());
    site->route("/vorlan/get.php", Response::json(R"([{"id":"5","phone":"1"}])"));
    withoutHistory.poll();
    withoutHistory.openConversation(QStringLiteral("5"));
    site->route("/vorlan/set.php", Response::json(R"({"result":0})"));
    site->route("/vorlan/get.php", Response::json("[]"));
    QVERIFY(withoutHistory.sendResult(QStringLiteral("typed")));
    QCoreApplication::processEvents();
    QVERIFY(withoutHistory.calls().isEmpty());
    QVERIFY(!withoutHistory.drafts().has(QStringLiteral("5")));
}

QTEST_GUILESS_MAIN(TestCallDesk)
#include "tst_calldesk.moc"
