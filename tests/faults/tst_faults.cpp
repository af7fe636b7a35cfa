#include "controllerfixture.h"
#include "core/translators.h"
#include "messageboxwatcher.h"
#include "processmemory.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTimer>
#include <QtTest>

#include <memory>
#include <zlib.h>

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

    void registration_redirectToAnotherHost_refusedAndNamed();
    void document_loadsNothingFromNetwork_data();
    void document_loadsNothingFromNetwork();
    void siteText_shownAsPlainText();
    void serverErrorBox_plainTextTranslatedButton();
    void launchURL_onlyCallMailAndWeb_data();
    void launchURL_onlyCallMailAndWeb();
    void interruptedClose_isNoConfirmation();
    void listFunctionPolls_redrawWalksSnapshot();

private:
    // The call ids and names the list shows since it was last cleared; empty if never drawn.
    QStringList shownCalls() const;
};

// Records the addresses the desktop would have opened.
class OpenedUrls : public QObject {
    Q_OBJECT

public:
    QList<QUrl> urls;

public slots:
    void open(const QUrl& url) { urls << url; }
};

namespace {
const QByteArray knownCalls = R"([{"id":"1","name":"Ann","status":"0"},{"id":"2","name":"Bob"}])";
const QStringList knownShown{"1 Ann", "2 Bob"};

// A gzip body of `mebibytes` MiB of zeros in about a thousandth of that: one compressed MiB,
// flushed so that it refers to nothing before it, repeated.
QByteArray gzipBomb(int mebibytes) {
    const QByteArray zeros(1024 * 1024, '\0');
    z_stream stream{};
    deflateInit2(&stream, 9, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY);
    QByteArray block(64 * 1024, Qt::Uninitialized);
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(zeros.data()));
    stream.avail_in = uInt(zeros.size());
    stream.next_out = reinterpret_cast<Bytef*>(block.data());
    stream.avail_out = uInt(block.size());
    deflate(&stream, Z_FULL_FLUSH);
    block.resize(block.size() - int(stream.avail_out));
    deflateEnd(&stream);

    const uLong blockCrc =
        crc32(0, reinterpret_cast<const Bytef*>(zeros.data()), uInt(zeros.size()));
    uLong crc = blockCrc;
    QByteArray bomb = QByteArray::fromHex("1f8b0800000000000003") + block;
    for (int i = 1; i < mebibytes; ++i) {
        bomb += block;
        crc = crc32_combine(crc, blockCrc, zeros.size());
    }
    bomb += QByteArray::fromHex("0300"); // the last, empty block
    const quint32 size = quint32(qint64(mebibytes) * zeros.size());
    for (const quint32 word : {quint32(crc), size}) {
        for (int shift = 0; shift < 32; shift += 8) {
            bomb += char((word >> shift) & 0xff);
        }
    }
    return bomb;
}

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
    // The same site under another name: the operator ID must not follow it.
    QTest::newRow("redirect to another host")
        << Response::redirect(302, "http://localhost:<port>/vorlan/get.php");
    QTest::newRow("reply of 65 MiB")
        << Response::json("[" + QByteArray(65 * 1024 * 1024, ' ') + "]");
    Response bomb = Response::json(gzipBomb(1024));
    bomb.headers.append(qMakePair(QByteArray("Content-Encoding"), QByteArray("gzip")));
    QTest::newRow("1 MB of gzip unpacking to 1 GiB") << bomb;
}

void TestFaults::transportFault_keepsListThenRecovers() {
    QFETCH(Response, fault);
    for (auto& header : fault.headers) {
        header.second.replace("<port>", QByteArray::number(site->port()));
    }
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
    resetPeakMemory();
    const qint64 memoryBefore = processMemoryKiB("VmHWM");
    gui->getDataFromServer();
    const qint64 memoryGrowth = processMemoryKiB("VmHWM") - memoryBefore;

    QVERIFY(servedWhileWaiting);
    QCOMPARE(log(), QStringList());
    QCOMPARE(inside().calls().keys(), (QStringList{"1", "2"}));
    QVERIFY(boxes.boxes.isEmpty());
    // A bomb unpacked whole takes gigabytes; stopped at the limit, well under 384 MiB even in
    // the sanitizer build.
    QVERIFY2(memoryGrowth < 384 * 1024, qPrintable(QString::number(memoryGrowth)));

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

void TestFaults::registration_redirectToAnotherHost_refusedAndNamed() {
    MessageBoxWatcher boxes;
    const QByteArray elsewhere =
        "http://localhost:" + QByteArray::number(site->port()) + "/vorlan/reg.php";
    site->route("/vorlan/reg.php", Response::redirect(302, elsewhere));
    gui = std::make_unique<GUI>();
    gui->registerWorkplace(QStringLiteral("Desk"), site->baseUrl(), QStringLiteral("pa55word"));

    QCOMPARE(site->requestCount(), 1);
    QCOMPARE(boxes.boxes.size(), 1);
    const QString text = boxes.boxes.first().text;
    QVERIFY2(text.contains(QLatin1String("\"") + QString::fromUtf8(elsewhere)), qPrintable(text));
    QVERIFY2(!text.contains(QLatin1String("pa55word")), qPrintable(text));
    QVERIFY(!QFile::exists(QDir::homePath() + QStringLiteral("/.vorlan/vorlan.conf")));
}

void TestFaults::document_loadsNothingFromNetwork_data() {
    QTest::addColumn<QByteArray>("document"); // <site> stands for the site's address
    QTest::newRow("remote image") << QByteArray(
        "import QtQuick 2.5\nImage { source: '<site>/pixel.png' }\n");
    QTest::newRow("remote import")
        << QByteArray("import QtQuick 2.5\nimport '<site>/lib'\nItem {}\n");
    QTest::newRow("remote component")
        << QByteArray("import QtQuick 2.5\nLoader { source: '<site>/Panel.qml' }\n");
    QTest::newRow("XMLHttpRequest")
        << QByteArray("import QtQuick 2.5\nItem { Component.onCompleted: { var r = new "
                      "XMLHttpRequest(); r.open('GET', '<site>/x'); r.send() } }\n");
}

void TestFaults::document_loadsNothingFromNetwork() {
    QFETCH(QByteArray, document);
    gui = std::make_unique<GUI>();
    gui->documentEngine().loadData(document.replace("<site>", site->baseUrl().toUtf8()), QUrl());
    QVERIFY(!site->waitForRequests(1, 700));
}

// The visitor writes the name: markup in it shows as typed, never fetches or draws anything.
void TestFaults::siteText_shownAsPlainText() {
    const QByteArray pixel = site->url("/pixel.png").toUtf8();
    const QByteArray name = "Ann<br><b>Phone:</b> 555<img src='" + pixel + "'>";
    site->route("/vorlan/get.php",
                Response::json(
                    QJsonDocument(QJsonArray{QJsonObject{{"id", "1"},
                                                         {"name", QString::fromUtf8(name)},
                                                         {"phone", QString::fromUtf8(name)},
                                                         {"create_date", QString::fromUtf8(name)},
                                                         {"status", QString::fromUtf8(name)}}})
                        .toJson(QJsonDocument::Compact)));
    site->route("/vorlan/set.php", Response::json(R"({"result":"0"})"));
    QFile file(qEnvironmentVariable("VORLAN_SOURCE_DIR") +
               QStringLiteral("/mainwindow/MainWindow.qml"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    gui = std::make_unique<GUI>();
    gui->start(file.readAll(), {{QStringLiteral("workplace"),
                                 QVariantMap{{QStringLiteral("server"), site->baseUrl()},
                                             {QStringLiteral("operatorID"), QStringLiteral("{op}")},
                                             {QStringLiteral("name"), QStringLiteral("Desk")}}}});
    gui->startConversation(QStringLiteral("1"));
    // Draws the banner too: the dialog closed, the call still in conversation.
    QTRY_VERIFY(!QGuiApplication::topLevelWindows().isEmpty());

    int shown = 0;
    const std::function<void(QQuickItem*)> check = [&](QQuickItem* item) {
        const QString text = item->property("text").toString();
        if (item->inherits("QQuickText") && text.contains(QLatin1String("<b>"))) {
            ++shown;
            QVERIFY2(item->property("textFormat").toInt() == Qt::PlainText, qPrintable(text));
        }
        for (QQuickItem* child : item->childItems()) {
            check(child);
        }
    };
    for (int round = 0; round < 2; ++round) {
        for (QWindow* window : QGuiApplication::topLevelWindows()) {
            if (auto* quick = qobject_cast<QQuickWindow*>(window)) {
                check(quick->contentItem());
                if (round == 0 && quick->objectName() == QLatin1String("conversationDialog")) {
                    quick->close();
                }
            }
        }
        QTest::qWait(100);
    }
    // The list's four columns, the dialog's name and phone, the banner.
    QVERIFY2(shown >= 7, qPrintable(QString::number(shown)));
    QTest::qWait(300);
    for (const auto& request : site->requests()) {
        QVERIFY(request.path != "/pixel.png");
    }
}

void TestFaults::serverErrorBox_plainTextTranslatedButton() {
    Translators russian;
    russian.install(QLocale(QStringLiteral("ru_RU")));
    start();
    MessageBoxWatcher boxes;
    const QString description =
        QStringLiteral("Closed, see <a href=\"file:///etc/passwd\">here</a>");
    site->route("/vorlan/get.php",
                Response::json(R"({"result":"1","descr":")" +
                               description.toUtf8().replace('"', "\\\"") + "\"}"));
    gui->getDataFromServer();

    QCOMPARE(boxes.boxes.size(), 1);
    QCOMPARE(boxes.boxes.first().title, QStringLiteral("Ошибка сервера"));
    QCOMPARE(boxes.boxes.first().text, description);
    QCOMPARE(boxes.boxes.first().format, Qt::PlainText);
    QCOMPARE(boxes.boxes.first().buttons, QStringList{QStringLiteral("ОК")});
}

void TestFaults::launchURL_onlyCallMailAndWeb_data() {
    QTest::addColumn<QString>("url");
    QTest::addColumn<bool>("opened");
    QTest::newRow("tel") << "tel:+7 900 123" << true;
    QTest::newRow("callto") << "callto:ann" << true;
    QTest::newRow("sip") << "sip:ann@pbx.example" << true;
    QTest::newRow("mailto") << "mailto:ann@example.com" << true;
    QTest::newRow("http") << "http://example.com/a b" << true;
    QTest::newRow("upper-case HTTPS") << "HTTPS://example.com" << true;
    QTest::newRow("file") << "file:///etc/passwd" << false;
    QTest::newRow("smb share") << "smb://fileserver/share" << false;
    QTest::newRow("ftp") << "ftp://example.com/x" << false;
    QTest::newRow("no scheme") << "/etc/passwd" << false;
}

void TestFaults::launchURL_onlyCallMailAndWeb() {
    QFETCH(QString, url);
    QFETCH(bool, opened);
    OpenedUrls desktop;
    const QStringList schemes{"tel",   "callto", "sip", "mailto", "http",
                              "https", "file",   "smb", "ftp"};
    for (const QString& scheme : schemes) {
        QDesktopServices::setUrlHandler(scheme, &desktop, "open");
    }
    gui = std::make_unique<GUI>();
    gui->launchURL(url);
    for (const QString& scheme : schemes) {
        QDesktopServices::unsetUrlHandler(scheme);
    }
    QCOMPARE(desktop.urls.size(), opened ? 1 : 0);
}

// The program quitting while a close waits: the call is not taken as closed.
void TestFaults::interruptedClose_isNoConfirmation() {
    start();
    site->route("/vorlan/set.php", Response::json(R"({"result":"0"})"));
    gui->startConversation(QStringLiteral("1"));
    Response slow = Response::json(R"({"result":0})");
    slow.delayMs = 1000;
    site->route("/vorlan/set.php", slow);
    QTimer::singleShot(200, qApp, [] { QCoreApplication::exit(0); });

    QVERIFY(!gui->closeConversationSendResult(QStringLiteral("Called back")));
    QCOMPARE(inside().currentCallID(), QStringLiteral("1"));
    QCOMPARE(inside().calls().keys(), (QStringList{"1", "2"}));
    // A full run of the event loop clears the quit, so later waits wait as they should.
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    QCoreApplication::exec();
}

void TestFaults::listFunctionPolls_redrawWalksSnapshot() {
    const QByteArray document = R"(import QtQuick 2.5
Item {
    property var appended: []
    function getServer() { return testSettings.server }
    function getOperatorID() { return "{op}" }
    Item {
        objectName: "callerList"
        property bool polled: false
        function clearList() {}
        function appendElement(call) {
            appended = appended.concat([call.callID])
            if (!polled) { polled = true; GUI.getDataFromServer() }
        }
    }
})";
    site->enqueue("/vorlan/get.php", Response::json(R"([{"id":"1"},{"id":"2"},{"id":"3"}])"));
    site->enqueue("/vorlan/get.php", Response::json(R"([{"id":"1"},{"id":"2"},{"id":"4"}])"));
    gui = std::make_unique<GUI>();
    QObject* root =
        gui->start(document, {{QStringLiteral("testSettings"),
                               QVariantMap{{QStringLiteral("server"), site->baseUrl()}}}});

    // The nested poll's redraw (1, 2, 4) runs inside the first row; the outer walk then goes on
    // with the table as it was when it started.
    QCOMPARE(inside().calls().keys(), (QStringList{"1", "2", "4"}));
    const QVariant appended = root->property("appended");
    QCOMPARE(appended.value<QJSValue>().toVariant().toStringList(),
             (QStringList{"1", "1", "2", "4", "2", "3"}));
}

QTEST_MAIN(TestFaults)
#include "tst_faults.moc"
