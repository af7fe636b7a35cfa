#include "controllerfixture.h"
#include "gui/callnotifier.h"
#include "gui/pictures.h"
#include "messageboxwatcher.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QQmlContext>
#include <QQuickWindow>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>

using Response = TestHttpServer::Response;
using Fields = QList<QPair<QString, QString>>;

// The controller driven through a recording main-window document, against a loopback site.
class TestGui : public QObject, private ControllerFixture {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void init_readsDocumentOnceThenPollsAtOnce();
    void init_tooltipShowsSiteAddress_data();
    void init_tooltipShowsSiteAddress();
    void documentWithoutContract_pollsAndRaisesWithoutEffect();

    void trayActivation_data();
    void trayActivation();
    void raiseWindow_data();
    void raiseWindow();

    void poll_mergesReplies_data();
    void poll_mergesReplies();
    void poll_envelopeKeepsTable_data();
    void poll_envelopeKeepsTable();
    void poll_transportFailureChangesNothing();
    void poll_serverErrorStormOpensOneBox();

    void take_readsResultAsString_data();
    void take_readsResultAsString();
    void take_transportFailureNoPoll();
    void take_callRemovedDuringWaitShowsTakenRecord();
    void closeConversation_unknownIdHasOnlyItsId();

    void close_readsResultAsNumber_data();
    void close_readsResultAsNumber();
    void close_sendsCommentWithLineBreaks();
    void close_withoutCallSendsEmptyId();
    void close_transportFailureKeepsCall();
    void close_callTakenDuringWaitStaysCurrent();

    void redraw_keepsTopVisibleRow();

    void register_sendsFieldsAndFreshIdentifiers();
    void register_successStoresAndRestarts();
    void register_failuresShowCriticalAndStoreNothing_data();
    void register_failuresShowCriticalAndStoreNothing();
    void register_addressProblemsSendNothing_data();
    void register_addressProblemsSendNothing();
    void register_refusalShowsSiteReason();
    void register_failureSaysWhatToCheck_data();
    void register_failureSaysWhatToCheck();

    void desk_trayAndStatusFollowSite();
    void desk_eventsArriveAndStatusSaysHow();
    void desk_failureReasons_data();
    void desk_failureReasons();
    void desk_summaryNamesFiveCallers();
    void desk_takeAndCloseSentOnceDuringWait();
    void desk_draftKeptUntilSiteConfirms();

private:
    void startWithCalls(const QByteArray& list);
    QString confPath() const { return QDir::homePath() + QStringLiteral("/.vorlan/vorlan.conf"); }
};

void TestGui::init() {
    QVERIFY(listenSite());
    site->route("/vorlan/get.php", Response::json("[]"));
    QDir(QDir::homePath() + QStringLiteral("/.vorlan")).removeRecursively();
}

void TestGui::cleanup() {
    tearDown();
}

void TestGui::startWithCalls(const QByteArray& list) {
    site->enqueue("/vorlan/get.php", Response::json(list));
    start();
    clearLog();
    site->clearRequests();
}

void TestGui::init_readsDocumentOnceThenPollsAtOnce() {
    site->route("/vorlan/get.php", Response::json(R"([{"id":"1"}])"));
    start();

    QVERIFY(document->property("controllerAtLoad").toBool());
    QCOMPARE(log().mid(0, 3), (QStringList{"getServer", "getOperatorID", "clearList"}));
    QCOMPARE(log().count(QStringLiteral("getServer")), 1);
    QCOMPARE(site->requestCount(), 1);
    const auto poll = site->requests().first();
    QCOMPARE(poll.method, QByteArray("POST"));
    QCOMPARE(poll.path, QByteArray("/vorlan/get.php"));
    const Fields fields{{"type", "2"}, {"operator", "{op-1}"}, {"apiVer", "1"}};
    QCOMPARE(poll.queryFields(), fields);
    QCOMPARE(poll.formFields(), fields);

    QVERIFY(inside().pollTimer()->isActive());
    QVERIFY(!inside().pollTimer()->isSingleShot());
    QCOMPARE(inside().pollTimer()->interval(), 60000);
    QVERIFY(inside().trayIcon()->isVisible());
}

void TestGui::init_tooltipShowsSiteAddress_data() {
    QTest::addColumn<QVariant>("server");
    QTest::addColumn<QString>("tooltip");
    QTest::newRow("address") << QVariant(QStringLiteral("http://calls.example"))
                             << "Vorlan - http://calls.example";
    QTest::newRow("number becomes its decimal text") << QVariant(42) << "Vorlan - 42";
    QTest::newRow("empty") << QVariant(QString()) << "Vorlan - ";
}

void TestGui::init_tooltipShowsSiteAddress() {
    QFETCH(QVariant, server);
    QFETCH(QString, tooltip);
    start({{QStringLiteral("server"), server}});
    // The site's state follows on lines of its own.
    QCOMPARE(inside().trayIcon()->toolTip().section(QLatin1Char('\n'), 0, 0), tooltip);
}

void TestGui::documentWithoutContract_pollsAndRaisesWithoutEffect() {
    // Only the two getters: no window functions, no caller list.
    const QByteArray bare = "import QtQuick 2.5\nItem {\n"
                            "  function getServer() { return testSettings.server }\n"
                            "  function getOperatorID() { return 'op' }\n}\n";
    site->route("/vorlan/get.php", Response::json(R"([{"id":"1"}])"));
    start({}, bare);
    QCOMPARE(site->requestCount(), 1);
    gui->trayIconActivated(QSystemTrayIcon::Trigger);
    gui->getDataFromServer();
    QCOMPARE(site->requestCount(), 2);
    QCOMPARE(inside().calls().keys(), QStringList{"1"});

    // A document that failed to load: nothing to read, the polls still run.
    gui.reset();
    start({}, "this is not QML");
    QVERIFY(!inside().rootObject());
    QCOMPARE(inside().trayIcon()->toolTip().section(QLatin1Char('\n'), 0, 0),
             QStringLiteral("Vorlan - "));
    QVERIFY(inside().pollTimer()->isActive());
}

void TestGui::trayActivation_data() {
    QTest::addColumn<int>("reason");
    QTest::addColumn<bool>("visible");
    QTest::addColumn<QStringList>("expected");
    const QStringList nothing;
    QTest::newRow("click on shown hides")
        << int(QSystemTrayIcon::Trigger) << true << QStringList{"isVisible", "hideWindow"};
    QTest::newRow("click on hidden shows, no raise")
        << int(QSystemTrayIcon::Trigger) << false << QStringList{"isVisible", "showWindow"};
    QTest::newRow("double click") << int(QSystemTrayIcon::DoubleClick) << true << nothing;
    QTest::newRow("middle click") << int(QSystemTrayIcon::MiddleClick) << false << nothing;
    QTest::newRow("context") << int(QSystemTrayIcon::Context) << true << nothing;
    QTest::newRow("unknown") << int(QSystemTrayIcon::Unknown) << true << nothing;
}

void TestGui::trayActivation() {
    QFETCH(int, reason);
    QFETCH(bool, visible);
    QFETCH(QStringList, expected);
    start({{QStringLiteral("visible"), visible}});
    clearLog();
    gui->trayIconActivated(QSystemTrayIcon::ActivationReason(reason));
    QCOMPARE(log(), expected);
}

void TestGui::raiseWindow_data() {
    QTest::addColumn<bool>("visible");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("hidden") << false << QStringList{"isVisible", "showWindow", "raiseWindow"};
    QTest::newRow("shown") << true << QStringList{"isVisible", "raiseWindow"};
}

void TestGui::raiseWindow() {
    QFETCH(bool, visible);
    QFETCH(QStringList, expected);
    start({{QStringLiteral("visible"), visible}});
    clearLog();
    gui->raiseWindow();
    QCOMPARE(log(), expected);
}

void TestGui::poll_mergesReplies_data() {
    QTest::addColumn<QByteArray>("first");
    QTest::addColumn<QByteArray>("second");
    QTest::addColumn<QStringList>("shown"); // "callID|name|status|cr_date" in list order

    QTest::newRow("identifiers compare as text")
        << QByteArray() << QByteArray(R"([{"id":"9"},{"id":"10"},{"id":"11"}])")
        << QStringList{"10|||", "11|||", "9|||"};
    QTest::newRow("date blanks tripled")
        << QByteArray()
        << QByteArray(
               R"([{"id":"1","create_date":"2026-12-08 10:00:01"},{"id":"2","create_date":"a  b"}])")
        << QStringList{"1|||2026-12-08   10:00:01", "2|||a      b"};
    QTest::newRow("later poll changes status only")
        << QByteArray(R"([{"id":"1","name":"Ann","status":"new","create_date":"d t"}])")
        << QByteArray(R"([{"id":"1","name":"Bob","status":"processing","create_date":"x"}])")
        << QStringList{"1|Ann|processing|d   t"};
    QTest::newRow("every missing call removed in one poll")
        << QByteArray(R"([{"id":"1"},{"id":"2"},{"id":"3"},{"id":"4"},{"id":"5"}])")
        << QByteArray(R"([{"id":"2"},{"id":"4"}])") << QStringList{"2|||", "4|||"};
    QTest::newRow("duplicate takes the later status")
        << QByteArray()
        << QByteArray(R"([{"id":"1","name":"A","status":"a"},{"id":"1","name":"B","status":"b"}])")
        << QStringList{"1|A|b|"};
    QTest::newRow("numeric id reads as empty")
        << QByteArray() << QByteArray(R"([{"id":7,"name":"N"}])") << QStringList{"|N||"};
    QTest::newRow("element not an object")
        << QByteArray() << QByteArray(R"([5])") << QStringList{"|||"};
    QTest::newRow("zero byte cuts the reply")
        << QByteArray() << QByteArray("[{\"id\":\"1\"}]\0{\"result\":\"1\"}", 28)
        << QStringList{"1|||"};
    QTest::newRow("empty array clears")
        << QByteArray(R"([{"id":"1"}])") << QByteArray("[]") << QStringList();
    QTest::newRow("object clears")
        << QByteArray(R"([{"id":"1"}])") << QByteArray(R"({"a":1})") << QStringList();
    QTest::newRow("empty body clears")
        << QByteArray(R"([{"id":"1"}])") << QByteArray("") << QStringList();
    QTest::newRow("blank after brace is no marker")
        << QByteArray(R"([{"id":"1"}])") << QByteArray(R"({ "result":"1","descr":"x"})")
        << QStringList();
    QTest::newRow("result not first is no marker")
        << QByteArray(R"([{"id":"1"}])") << QByteArray(R"({"descr":"x","result":"1"})")
        << QStringList();
}

void TestGui::poll_mergesReplies() {
    QFETCH(QByteArray, first);
    QFETCH(QByteArray, second);
    QFETCH(QStringList, shown);
    MessageBoxWatcher boxes;
    if (!first.isNull()) {
        site->enqueue("/vorlan/get.php", Response::json(first));
    }
    site->enqueue("/vorlan/get.php", Response::json(second));
    start();
    if (!first.isNull()) {
        clearLog();
        gui->getDataFromServer();
    }

    QStringList rows;
    for (const QJsonObject& record : shownRecords()) {
        QCOMPARE(record.keys(), (QStringList{"callID", "cr_date", "name", "phone", "status"}));
        rows << QStringList{record.value("callID").toString(), record.value("name").toString(),
                            record.value("status").toString(), record.value("cr_date").toString()}
                    .join(QLatin1Char('|'));
    }
    QCOMPARE(rows, shown);
    QCOMPARE(inside().calls().size(), shown.size());
    QCOMPARE(log().contains(QStringLiteral("raiseWindow")), !shown.isEmpty());
    QVERIFY(!log().contains(QStringLiteral("wrong clearList")));
    QVERIFY(boxes.boxes.isEmpty());
}

void TestGui::poll_envelopeKeepsTable_data() {
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("message");
    QTest::newRow("refusal") << QByteArray(R"({"result":"1","descr":"Unknown operator"})")
                             << "Unknown operator";
    QTest::newRow("result 0 is still a report")
        << QByteArray(R"({"result":"0","descr":"ok"})") << "ok";
    QTest::newRow("marker anywhere") << QByteArray(R"([{"id":"2"},{"resultx":1}])") << "";
    QTest::newRow("no descr") << QByteArray(R"({"result":"2"})") << "";
}

void TestGui::poll_envelopeKeepsTable() {
    QFETCH(QByteArray, reply);
    QFETCH(QString, message);
    startWithCalls(R"([{"id":"1"}])");
    MessageBoxWatcher boxes;
    site->route("/vorlan/get.php", Response::json(reply));
    gui->getDataFromServer();

    QCOMPARE(boxes.boxes.size(), 1);
    QCOMPARE(boxes.boxes.first().title, QStringLiteral("Server error"));
    QCOMPARE(boxes.boxes.first().icon, QMessageBox::Information);
    QCOMPARE(boxes.boxes.first().text, message);
    QCOMPARE(log(), QStringList());
    QCOMPARE(inside().calls().keys(), QStringList{"1"});
}

void TestGui::poll_transportFailureChangesNothing() {
    startWithCalls(R"([{"id":"1"}])");
    site->route("/vorlan/get.php", Response::text("down", 503));
    gui->getDataFromServer();
    QCOMPARE(site->requestCount(), 1);
    QCOMPARE(log(), QStringList());
    QCOMPARE(inside().calls().keys(), QStringList{"1"});
}

void TestGui::poll_serverErrorStormOpensOneBox() {
    startWithCalls("[]");
    MessageBoxWatcher boxes(700);
    site->route("/vorlan/get.php", Response::json(R"({"result":"1","descr":"Site closed"})"));
    QTimer::singleShot(150, gui.get(), &GUI::getDataFromServer);
    QTimer::singleShot(300, gui.get(), &GUI::getDataFromServer);
    gui->getDataFromServer();

    QCOMPARE(site->requestCount(), 3);
    QCOMPARE(boxes.boxes.size(), 1);
    QCOMPARE(boxes.mostOpenAtOnce, 1);
    QVERIFY(!inside().serverErrorOpen());
}

void TestGui::take_readsResultAsString_data() {
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("string 0") << QByteArray(R"({"result":"0","descr":"ok"})") << true;
    QTest::newRow("number 0") << QByteArray(R"({"result":0})") << false;
    QTest::newRow("other string") << QByteArray(R"({"result":"1"})") << false;
    QTest::newRow("padded string") << QByteArray(R"({"result":" 0"})") << false;
    QTest::newRow("empty body") << QByteArray() << false;
}

void TestGui::take_readsResultAsString() {
    QFETCH(QByteArray, reply);
    QFETCH(bool, accepted);
    startWithCalls(R"([{"id":"5","name":"Ann","phone":"+7 900"}])");
    site->route("/vorlan/set.php", Response::json(reply));
    gui->startConversation(QStringLiteral("5"));

    const auto requests = site->requests();
    QCOMPARE(requests.size(), 2);
    QCOMPARE(requests[0].path, QByteArray("/vorlan/set.php"));
    const Fields fields{
        {"action", "process"}, {"operator", "{op-1}"}, {"id", "5"}, {"apiVer", "1"}};
    QCOMPARE(requests[0].formFields(), fields);
    QCOMPARE(requests[0].queryFields(), fields);
    QCOMPARE(requests[1].path, QByteArray("/vorlan/get.php"));

    const QStringList dialogs = log().filter(QStringLiteral("showCloseConversationDialog"));
    QCOMPARE(dialogs.size(), accepted ? 1 : 0);
    QCOMPARE(inside().currentCallID(), accepted ? QStringLiteral("5") : QString());
    if (accepted) {
        QVERIFY(dialogs.first().contains(QLatin1String("\"name\":\"Ann\"")));
        QVERIFY(dialogs.first().contains(QLatin1String("\"phone\":\"+7 900\"")));
    }
}

void TestGui::take_transportFailureNoPoll() {
    startWithCalls(R"([{"id":"5"}])");
    site->route("/vorlan/set.php", Response::text("gone", 502));
    gui->startConversation(QStringLiteral("5"));
    QCOMPARE(site->requestCount(), 1);
    QCOMPARE(log(), QStringList());
    QVERIFY(inside().currentCallID().isEmpty());
    QCOMPARE(inside().siteStatus().notice(),
             QStringLiteral("Could not reach the site to take the request (HTTP status 502). "
                            "Try again."));
}

void TestGui::take_callRemovedDuringWaitShowsTakenRecord() {
    startWithCalls(R"([{"id":"5","name":"Ann","phone":"+7 900"}])");
    Response slowAccept = Response::json(R"({"result":"0"})");
    slowAccept.delayMs = 400;
    site->route("/vorlan/set.php", slowAccept);
    site->route("/vorlan/get.php", Response::json("[]"));
    QTimer::singleShot(100, gui.get(), &GUI::getDataFromServer);
    gui->startConversation(QStringLiteral("5"));

    const QStringList dialogs = log().filter(QStringLiteral("showCloseConversationDialog"));
    QCOMPARE(dialogs.size(), 1);
    QVERIFY2(dialogs.first().contains(QLatin1String("\"name\":\"Ann\"")),
             qPrintable(dialogs.first()));
}

void TestGui::closeConversation_unknownIdHasOnlyItsId() {
    startWithCalls(R"([{"id":"5","name":"Ann"}])");
    gui->closeConversation(QStringLiteral("77"));
    QCOMPARE(inside().currentCallID(), QStringLiteral("77"));
    QCOMPARE(
        log(),
        QStringList{
            R"(showCloseConversationDialog {"callID":"77","cr_date":"","name":"","phone":"","status":""})"});
}

void TestGui::close_readsResultAsNumber_data() {
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("confirmed");
    QTest::newRow("number 0") << QByteArray(R"({"result":0})") << true;
    QTest::newRow("string 0") << QByteArray(R"({"result":"0"})") << true;
    QTest::newRow("other string") << QByteArray(R"({"result":"7"})") << true;
    QTest::newRow("fraction") << QByteArray(R"({"result":2.5})") << true;
    QTest::newRow("number 2") << QByteArray(R"({"result":2})") << false;
    QTest::newRow("number -1") << QByteArray(R"({"result":-1})") << false;
}

void TestGui::close_readsResultAsNumber() {
    QFETCH(QByteArray, reply);
    QFETCH(bool, confirmed);
    startWithCalls(R"([{"id":"5"},{"id":"6"}])");
    gui->closeConversation(QStringLiteral("5"));
    clearLog();
    site->route("/vorlan/set.php", Response::json(reply));
    site->clearRequests();

    QCOMPARE(gui->closeConversationSendResult(QStringLiteral("Called back")), confirmed);
    QCOMPARE(site->requestCount(), 2);
    QCOMPARE(site->requests().last().path, QByteArray("/vorlan/get.php"));
    QCOMPARE(inside().currentCallID(), confirmed ? QString() : QStringLiteral("5"));
    // A confirmed close redraws without the call before the follow-up poll runs.
    const QStringList entries = log();
    const int firstClear = entries.indexOf(QStringLiteral("clearList"));
    const int clears = entries.count(QStringLiteral("clearList"));
    QCOMPARE(clears, confirmed ? 2 : 1);
    if (confirmed) {
        QVERIFY(!entries.mid(firstClear, 3)
                     .join(QLatin1Char(' '))
                     .contains(QLatin1String("\"callID\":\"5\"")));
    }
}

void TestGui::close_sendsCommentWithLineBreaks() {
    startWithCalls(R"([{"id":"5"}])");
    gui->closeConversation(QStringLiteral("5"));
    site->route("/vorlan/set.php", Response::json(R"({"result":0})"));
    const QString comment = QStringLiteral("Called back.\nWill call again  tomorrow, Пн");
    gui->closeConversationSendResult(comment);

    const auto close = requestsTo("/vorlan/set.php").first();
    const Fields fields{{"action", "close"},
                        {"operator", "{op-1}"},
                        {"id", "5"},
                        {"comment", comment},
                        {"apiVer", "1"}};
    QCOMPARE(close.formFields(), fields);
    QCOMPARE(close.queryFields(), fields);
}

void TestGui::close_withoutCallSendsEmptyId() {
    startWithCalls(R"([{"id":"5"}])");
    site->route("/vorlan/get.php", Response::json(R"([{"id":"5"}])"));
    site->route("/vorlan/set.php", Response::json(R"({"result":0})"));
    QVERIFY(gui->closeConversationSendResult(QStringLiteral("text")));
    const Fields fields = requestsTo("/vorlan/set.php").first().formFields();
    QCOMPARE(fields.at(2).first, QStringLiteral("id"));
    QCOMPARE(fields.at(2).second, QString());
    QCOMPARE(inside().calls().keys(), QStringList{"5"});
}

void TestGui::close_transportFailureKeepsCall() {
    startWithCalls(R"([{"id":"5"}])");
    gui->closeConversation(QStringLiteral("5"));
    clearLog();
    site->clearRequests();
    site->route("/vorlan/set.php", Response::text("busy", 500));
    QVERIFY(!gui->closeConversationSendResult(QStringLiteral("first try")));
    QCOMPARE(site->requestCount(), 1);
    QCOMPARE(log(), QStringList());
    QCOMPARE(inside().currentCallID(), QStringLiteral("5"));
    QCOMPARE(inside().calls().keys(), QStringList{"5"});
}

void TestGui::close_callTakenDuringWaitStaysCurrent() {
    startWithCalls(R"([{"id":"5"},{"id":"6"}])");
    gui->closeConversation(QStringLiteral("5"));
    Response slowConfirm = Response::json(R"({"result":0})");
    slowConfirm.delayMs = 500;
    site->enqueue("/vorlan/set.php", slowConfirm);
    site->route("/vorlan/set.php", Response::json(R"({"result":0})"));
    // The operator takes call 6 while the site has the close of call 5 but has not answered.
    QMetaObject::Connection taking;
    QStringList dialogsDuringSend{QStringLiteral("none recorded")};
    taking = connect(site.get(), &TestHttpServer::requestReceived, this,
                     [this, &taking, &dialogsDuringSend] {
                         disconnect(taking);
                         QTimer::singleShot(0, gui.get(), [this, &dialogsDuringSend] {
                             clearLog();
                             gui->closeConversation("6");
                             dialogsDuringSend = log().filter("showCloseConversationDialog");
                         });
                     });
    QVERIFY(gui->closeConversationSendResult(QStringLiteral("first")));
    // The sending dialog is not replaced under its send; call 6's dialog opens after it.
    QCOMPARE(dialogsDuringSend, QStringList());
    QTRY_COMPARE(log().filter("showCloseConversationDialog").size(), 1);
    QVERIFY(log()
                .filter("showCloseConversationDialog")
                .first()
                .contains(QLatin1String(R"("callID":"6")")));

    site->clearRequests();
    QVERIFY(gui->closeConversationSendResult(QStringLiteral("second")));
    QCOMPARE(requestsTo("/vorlan/set.php").value(0).formFields().value(2),
             (QPair<QString, QString>("id", "6")));
}

namespace {
// The list view of a main window, whatever feeds it; -1 when no row is at its top edge.
// The default window's list view, whatever its object name.
QQuickItem* listView(QObject* window) {
    const auto items = window->findChildren<QQuickItem*>();
    const auto found = std::find_if(items.begin(), items.end(), [](QQuickItem* item) {
        return item->inherits("QQuickListView");
    });
    return found == items.end() ? nullptr : *found;
}

int topVisibleRow(QQuickItem* view) {
    int row = -1;
    QMetaObject::invokeMethod(view, "indexAt", Q_RETURN_ARG(int, row),
                              Q_ARG(qreal, view->property("contentX").toReal() + 1),
                              Q_ARG(qreal, view->property("contentY").toReal() + 1));
    return row;
}

QByteArray callList(int count) {
    QJsonArray calls;
    for (int i = 0; i < count; ++i) {
        calls.append(QJsonObject{{"id", QString::number(100 + i)}, {"name", "Caller"}});
    }
    return QJsonDocument(calls).toJson(QJsonDocument::Compact);
}
} // namespace

// The default window, scrolled, keeps its top row when a poll brings one more call.
void TestGui::redraw_keepsTopVisibleRow() {
    QFile file(QStringLiteral(DEFAULT_DOCUMENT));
    QVERIFY(file.open(QIODevice::ReadOnly));
    site->route("/vorlan/get.php", Response::json(callList(60)));
    start({}, file.readAll());
    auto* window = qobject_cast<QQuickWindow*>(document);
    QVERIFY(window);
    QVERIFY(QTest::qWaitForWindowExposed(window));
    auto* view = listView(window);
    QVERIFY(view);
    QTRY_COMPARE(view->property("count").toInt(), 60);
    QMetaObject::invokeMethod(view, "positionViewAtIndex", Q_ARG(int, 30), Q_ARG(int, 0));
    QCOMPARE(topVisibleRow(view), 30);

    site->route("/vorlan/get.php", Response::json(callList(61)));
    gui->getDataFromServer();
    QTRY_COMPARE(view->property("count").toInt(), 61);
    QMetaObject::invokeMethod(view, "forceLayout");
    QCOMPARE(topVisibleRow(view), 30);
}

void TestGui::register_sendsFieldsAndFreshIdentifiers() {
    MessageBoxWatcher boxes;
    gui = std::make_unique<GUI>();
    site->route("/vorlan/reg.php", Response::json(R"({"result":"1","descr":"no"})"));
    gui->registerWorkplace(QStringLiteral("Desk 3"), site->baseUrl() + QStringLiteral("/"),
                           QStringLiteral("secret pass"));
    gui->registerWorkplace(QStringLiteral("Desk 3"), site->baseUrl(),
                           QStringLiteral("secret pass"));

    const auto requests = site->requests();
    QCOMPARE(requests.size(), 2);
    // The address is used as typed; Qt's HTTP layer folds the doubled slash on the wire.
    QCOMPARE(requests[0].path, QByteArray("/vorlan/reg.php"));
    const QRegularExpression uuid(QStringLiteral(
        "^\\{[0-9a-f]{8}-[0-9a-f]{4}-4[0-9a-f]{3}-[89ab][0-9a-f]{3}-[0-9a-f]{12}\\}$"));
    QStringList ids;
    for (const auto& request : requests) {
        const Fields fields = request.formFields();
        QCOMPARE(fields.size(), 4);
        QCOMPARE(fields[0], (QPair<QString, QString>("pass", "secret pass")));
        QCOMPARE(fields[1].first, QStringLiteral("opID"));
        QVERIFY2(uuid.match(fields[1].second).hasMatch(), qPrintable(fields[1].second));
        QCOMPARE(fields[2], (QPair<QString, QString>("opName", "Desk 3")));
        QCOMPARE(fields[3], (QPair<QString, QString>("apiVer", "1")));
        QCOMPARE(request.queryFields(), fields);
        ids << fields[1].second;
    }
    QVERIFY(ids[0] != ids[1]);
}

void TestGui::register_successStoresAndRestarts() {
    QTemporaryDir scratch;
    const QString marker = scratch.filePath(QStringLiteral("restarted"));
    const QString program = scratch.filePath(QStringLiteral("fake-vorlan"));
    QFile script(program);
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\ntouch '" + marker.toUtf8() + "'\n");
    script.close();
    script.setPermissions(script.permissions() | QFileDevice::ExeOwner);

    QDir().mkpath(QDir::homePath() + QStringLiteral("/.vorlan"));
    QFile conf(confPath());
    QVERIFY(conf.open(QIODevice::WriteOnly));
    conf.write(R"({"theme":"dark"})");
    conf.close();

    gui = std::make_unique<GUI>();
    gui->setProgramPath(program);
    site->route("/vorlan/reg.php", Response::json(R"({"result":"0","descr":"registered"})"));
    gui->registerWorkplace(QStringLiteral("Front desk"), site->baseUrl(), QStringLiteral("pw"));

    QVERIFY(conf.open(QIODevice::ReadOnly));
    const QJsonObject stored = QJsonDocument::fromJson(conf.readAll()).object();
    const QString sentId = site->requests().first().formFields().at(1).second;
    QCOMPARE(stored.value("server").toString(), site->baseUrl());
    QCOMPARE(stored.value("operatorID").toString(), sentId);
    QCOMPARE(stored.value("workplace").toString(), QStringLiteral("Front desk"));
    QCOMPARE(stored.value("theme").toString(), QStringLiteral("dark"));
    QVERIFY(!QJsonDocument(stored).toJson().contains("pw"));
    QTRY_VERIFY(QFile::exists(marker));

    // The registration ended the (not running) event loop; a full run of one clears that
    // request, so later tests' nested loops wait as they should.
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    QCoreApplication::exec();
}

void TestGui::register_failuresShowCriticalAndStoreNothing_data() {
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message"); // empty: the exchange's own error text
    const QString refused = QStringLiteral("Error occured when registering operator workplace");
    QTest::newRow("number 0") << QByteArray(R"({"result":0})") << 200 << refused;
    QTest::newRow("refused") << QByteArray(R"({"result":"3","descr":"Wrong password"})") << 200
                             << refused;
    QTest::newRow("not JSON") << QByteArray("OK") << 200 << refused;
    QTest::newRow("transport failure") << QByteArray("oops") << 500 << QString();
}

void TestGui::register_failuresShowCriticalAndStoreNothing() {
    QFETCH(QByteArray, reply);
    QFETCH(int, status);
    QFETCH(QString, message);
    MessageBoxWatcher boxes;
    gui = std::make_unique<GUI>();
    site->route("/vorlan/reg.php", Response::json(reply, status));
    gui->registerWorkplace(QStringLiteral("Desk"), site->baseUrl(), QStringLiteral("pw"));

    QCOMPARE(boxes.boxes.size(), 1);
    QCOMPARE(boxes.boxes.first().icon, QMessageBox::Critical);
    QCOMPARE(boxes.boxes.first().title, QStringLiteral("Critical"));
    if (message.isEmpty()) {
        QVERIFY(!boxes.boxes.first().text.isEmpty());
    } else {
        QCOMPARE(boxes.boxes.first().text, message);
    }
    QVERIFY(!QFile::exists(confPath()));
}

void TestGui::register_addressProblemsSendNothing_data() {
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("hint"); // a word the hint must hold
    QTest::newRow("no scheme") << "www.example.com"
                               << "http://";
    QTest::newRow("host and port only") << "127.0.0.1:8080"
                                        << "http://";
    QTest::newRow("other scheme") << "ftp://example.com"
                                  << "http://";
    QTest::newRow("scheme only") << "http://"
                                 << "http://";
    QTest::newRow("ends in /vorlan/") << "http://example.com/vorlan/"
                                      << "/vorlan/";
    QTest::newRow("ends in /vorlan") << "https://example.com/shop/vorlan"
                                     << "/vorlan/";
}

void TestGui::register_addressProblemsSendNothing() {
    QFETCH(QString, address);
    QFETCH(QString, hint);
    MessageBoxWatcher boxes;
    gui = std::make_unique<GUI>();
    gui->registerWorkplace(QStringLiteral("Desk"), address, QStringLiteral("pw"));
    QCOMPARE(boxes.boxes.size(), 1);
    QCOMPARE(boxes.boxes.first().title, QStringLiteral("Critical"));
    QVERIFY2(boxes.boxes.first().text.contains(hint), qPrintable(boxes.boxes.first().text));
    QCOMPARE(site->requestCount(), 0);
    QVERIFY(!QFile::exists(confPath()));
}

void TestGui::register_refusalShowsSiteReason() {
    MessageBoxWatcher boxes;
    gui = std::make_unique<GUI>();
    site->route("/vorlan/reg.php",
                Response::json(R"({"result":"7","descr":"Wrong site password <b>x</b>"})"));
    gui->registerWorkplace(QStringLiteral("Desk"), site->baseUrl(), QStringLiteral("pw"));
    QCOMPARE(boxes.boxes.size(), 1);
    QCOMPARE(boxes.boxes.first().text,
             QStringLiteral("Error occured when registering operator workplace"));
    QCOMPARE(boxes.boxes.first().informativeText,
             QStringLiteral("The site said: Wrong site password <b>x</b>"));
    QCOMPARE(boxes.boxes.first().informativeFormat, Qt::PlainText);
}

void TestGui::register_failureSaysWhatToCheck_data() {
    QTest::addColumn<QString>("path"); // appended to the site's address; "closed port": none
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("hint"); // words the box's detail must hold
    QTest::newRow("port typo") << "closed port" << QByteArray() << 0 << "its port";
    QTest::newRow("path typo") << "/shop" << QByteArray("Not Found") << 404 << "path";
    QTest::newRow("maintenance, no reason")
        << "" << QByteArray(R"({"result":"1"})") << 200 << "gave no reason";
    QTest::newRow("server error") << "" << QByteArray("oops") << 500 << "try again later";
}

void TestGui::register_failureSaysWhatToCheck() {
    QFETCH(QString, path);
    QFETCH(QByteArray, reply);
    QFETCH(int, status);
    QFETCH(QString, hint);
    MessageBoxWatcher boxes;
    gui = std::make_unique<GUI>();
    QString address = site->baseUrl() + path;
    if (path == QLatin1String("closed port")) {
        TestHttpServer closed;
        address = closed.baseUrl();
    } else {
        site->route("/vorlan/reg.php", Response::json(reply, status));
    }
    gui->registerWorkplace(QStringLiteral("Desk"), address, QStringLiteral("pw"));
    QCOMPARE(boxes.boxes.size(), 1);
    const QString said =
        boxes.boxes.first().text + QLatin1Char('\n') + boxes.boxes.first().informativeText;
    QVERIFY2(said.contains(hint, Qt::CaseInsensitive), qPrintable(said));
    QVERIFY2(!said.contains(QLatin1String("reg.php")), qPrintable(said));
}

void TestGui::desk_trayAndStatusFollowSite() {
    startWithCalls(R"([{"id":"1"},{"id":"2"}])");
    const QString address = QStringLiteral("Vorlan - ") + site->baseUrl();
    const auto iconIs = [this](const QString& resource) {
        return inside().trayIcon()->icon().pixmap(32).toImage() ==
               Pictures::icon(resource).pixmap(32).toImage();
    };
    QCOMPARE(inside().trayIcon()->toolTip(), address + QStringLiteral("\nPending requests: 2"));
    QVERIFY(iconIs(QStringLiteral("icon-yellow")));
    QVERIFY(inside().siteStatus().upToDate());
    QVERIFY(inside().siteStatus().summary().startsWith(QLatin1String("Up to date at ")));

    site->route("/vorlan/get.php", Response::text("down", 503));
    gui->getDataFromServer();
    const QDateTime since = inside().siteStatus().failingSince();
    QVERIFY(since.isValid());
    QVERIFY(inside().siteStatus().summary().startsWith(QLatin1String("Site unreachable since ")));
    QVERIFY(inside().siteStatus().summary().endsWith(QLatin1String(": HTTP status 503")));
    QVERIFY(iconIs(QStringLiteral("icon-offline")));
    QCOMPARE(inside().trayIcon()->toolTip(),
             address + QStringLiteral("\nPending requests: 2\n") + inside().siteStatus().state());
    // A later failure keeps the moment the trouble began.
    QTest::qWait(20);
    gui->getDataFromServer();
    QCOMPARE(inside().siteStatus().failingSince(), since);

    // Back, slowly: while the poll waits, the status line says a request is under way.
    Response slow = Response::json("[]");
    slow.delayMs = 300;
    site->route("/vorlan/get.php", slow);
    QString duringPoll;
    QTimer::singleShot(100, gui.get(), [&] { duringPoll = inside().siteStatus().summary(); });
    gui->getDataFromServer();
    QCOMPARE(duringPoll, QStringLiteral("Getting data from the site…"));
    QVERIFY(inside().siteStatus().upToDate());
    QVERIFY(!inside().siteStatus().isFailing());
    QCOMPARE(inside().trayIcon()->toolTip(), address);
    QVERIFY(iconIs(QStringLiteral("icon")));

    // A confirmed close counts in the tooltip once the history has it.
    site->route("/vorlan/get.php", Response::json(R"([{"id":"3"}])"));
    gui->getDataFromServer();
    gui->closeConversation(QStringLiteral("3"));
    site->route("/vorlan/set.php", Response::json(R"({"result":0})"));
    site->route("/vorlan/get.php", Response::json("[]"));
    QVERIFY(gui->closeConversationSendResult(QStringLiteral("Called back")));
    QTRY_COMPARE(inside().trayIcon()->toolTip(), address + QStringLiteral("\nClosed today: 1"));
}

// A site that offers its events channel: a stored call reaches the list and the tray between
// polls, and the status line and tooltip say how changes arrive, and since when they do not.
void TestGui::desk_eventsArriveAndStatusSaysHow() {
    Response list = Response::json("[]");
    list.headers.append(qMakePair(QByteArray("Link"), QByteArray("</events>;rel=vorlan-events")));
    site->route("/vorlan/get.php", list);
    Response stream;
    stream.headers = {{"Content-Type", "text/event-stream"}};
    stream.holdOpen = true;
    site->route("/events", stream);
    start();
    const QString address = QStringLiteral("Vorlan - ") + site->baseUrl();
    QTRY_COMPARE(inside().trayIcon()->toolTip(),
                 address + QStringLiteral("\nChanges arrive instantly"));
    QVERIFY(
        inside().siteStatus().summary().endsWith(QStringLiteral(" · Changes arrive instantly")));

    QCOMPARE(site->push(R"(data: {"new":[{"id":"5","name":"Ann","status":"new"}]})"
                        "\n\n"),
             1);
    QTRY_COMPARE(shownRecords().size(), 1);
    QCOMPARE(shownRecords().first().value(CallRecords::nameKey).toString(), QStringLiteral("Ann"));
    QCOMPARE(inside().trayIcon()->toolTip(),
             address + QStringLiteral("\nPending requests: 1\nChanges arrive instantly"));
    QCOMPARE(requestsTo("/vorlan/get.php").size(), 1);

    site->route("/events", Response::text("no", 403));
    site->endHeld();
    QTRY_VERIFY(inside().siteStatus().delivery().startsWith(
        QLatin1String("Instant arrival is down since ")));
    QVERIFY(inside().trayIcon()->toolTip().endsWith(
        QLatin1String("; changes arrive at each minute's poll")));
}

void TestGui::desk_failureReasons_data() {
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("status");
    QTest::addColumn<bool>("siteGone");
    QTest::addColumn<QString>("failure");
    QTest::newRow("no connection")
        << QByteArray() << 200 << true << "no connection: Connection refused";
    QTest::newRow("HTTP status") << QByteArray("x") << 502 << false << "HTTP status 502";
    QTest::newRow("site's refusal")
        << QByteArray(R"({"result":"2","descr":"This operator workplace is not registered"})")
        << 200 << false << "This operator workplace is not registered";
}

void TestGui::desk_failureReasons() {
    QFETCH(QByteArray, reply);
    QFETCH(int, status);
    QFETCH(bool, siteGone);
    QFETCH(QString, failure);
    MessageBoxWatcher boxes;
    startWithCalls("[]");
    site->route("/vorlan/get.php", Response::json(reply, status));
    if (siteGone) {
        site.reset();
    }
    gui->getDataFromServer();
    QCOMPARE(inside().siteStatus().failure(), failure);
    QVERIFY(inside().siteStatus().isFailing());
    QVERIFY(!inside().siteStatus().busy());
}

void TestGui::desk_takeAndCloseSentOnceDuringWait() {
    startWithCalls(R"([{"id":"5","name":"Ann"}])");
    Response slow = Response::json(R"({"result":"0"})");
    slow.delayMs = 300;
    site->route("/vorlan/set.php", slow);
    // A double click and a held key: the same operation again while the first waits.
    QTimer::singleShot(50, gui.get(), [this] { gui->startConversation(QStringLiteral("5")); });
    QTimer::singleShot(100, gui.get(), [this] { gui->startConversation(QStringLiteral("5")); });
    gui->startConversation(QStringLiteral("5"));
    QCOMPARE(requestsTo("/vorlan/set.php").size(), 1);
    QCOMPARE(log().filter(QStringLiteral("showCloseConversationDialog")).size(), 1);

    site->clearRequests();
    bool repeated = true;
    QTimer::singleShot(50, gui.get(),
                       [this, &repeated] { repeated = gui->closeConversationSendResult("again"); });
    QVERIFY(gui->closeConversationSendResult(QStringLiteral("Called back")));
    QCOMPARE(requestsTo("/vorlan/set.php").size(), 1);
    QVERIFY(!repeated);
    QVERIFY(inside().currentCallID().isEmpty());
    // Guards are per wait: the next take goes through.
    site->clearRequests();
    gui->startConversation(QStringLiteral("5"));
    QCOMPARE(requestsTo("/vorlan/set.php").size(), 1);
}

void TestGui::desk_draftKeptUntilSiteConfirms() {
    startWithCalls(R"([{"id":"5"}])");
    gui->closeConversation(QStringLiteral("5"));
    QVERIFY(inside().drafts().keep(QStringLiteral("5"), QStringLiteral("Called back.\nТест")));
    const QString draft = inside().drafts().pathFor(QStringLiteral("5"));
    const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                            QFileDevice::ReadOther | QFileDevice::WriteOther;
    QCOMPARE(QFile::permissions(draft) & others, QFileDevice::Permissions());

    const auto send = [this] {
        return gui->closeConversationSendResult(QStringLiteral("text"));
    };
    site->route("/vorlan/set.php", Response::text("busy", 500));
    QVERIFY(!send());
    QCOMPARE(inside().siteStatus().notice(),
             QStringLiteral("Could not reach the site (HTTP status 500). Try again."));
    QVERIFY(QFile::exists(draft));

    site->route("/vorlan/set.php",
                Response::json(R"({"result":5,"descr":"This call is already closed"})"));
    QVERIFY(!send());
    QCOMPARE(inside().siteStatus().notice(),
             QStringLiteral("The site refused the result: This call is already closed"));
    QCOMPARE(inside().drafts().text(QStringLiteral("5")), QStringLiteral("Called back.\nТест"));

    site->route("/vorlan/set.php", Response::json(R"({"result":0})"));
    QVERIFY(send());
    QVERIFY(!QFile::exists(draft));
    QVERIFY(inside().siteStatus().notice().isEmpty());
}

void TestGui::desk_summaryNamesFiveCallers() {
    QList<QJsonObject> calls;
    for (const char* name : {"Ann", "Bob", "أحمد", "Dan", "Eve", "Fay", "Gus"}) {
        calls << QJsonObject{{"name", QString::fromUtf8(name)}};
    }
    QCOMPARE(CallNotifier::summaryBody(calls), QString::fromUtf8("Ann\nBob\nأحمد\nDan\nEve\n…"));
    QCOMPARE(CallNotifier::summaryBody(calls.mid(0, 5)),
             QString::fromUtf8("Ann\nBob\nأحمد\nDan\nEve"));

    // Listed by id, named by arrival: "1", "10", "100" come first by id but arrived last.
    calls.clear();
    const std::pair<const char*, const char*> idAndDate[] = {{"1", "2026-12-09 10:00:00"},
                                                             {"10", "2026-12-09 09:00:00"},
                                                             {"100", "soon"},
                                                             {"7", "2026-12-08 23:59:00"},
                                                             {"70", "2026-12-09 08:30:00"}};
    for (const auto& [id, date] : idAndDate) {
        calls << QJsonObject{{"callID", QString::fromLatin1(id)},
                             {"cr_date", QString::fromLatin1(date)},
                             {"name", QStringLiteral("c%1").arg(QLatin1String(id))}};
    }
    QCOMPARE(CallNotifier::summaryBody(calls), QStringLiteral("c7\nc70\nc10\nc1\nc100"));
}

QTEST_MAIN(TestGui)
#include "tst_gui.moc"
