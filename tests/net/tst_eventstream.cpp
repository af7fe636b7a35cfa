#include "net/eventstream.h"
#include "testhttpserver.h"

#include <QSignalSpy>
#include <QtTest>

using Response = TestHttpServer::Response;

namespace {

// Short waits, so that a row sees a drop, its reopening and the rest after a refusal in a
// fraction of a second; a window of quiet that is shorter than the silence limit.
const EventStream::Timing quick{1000, 100, 400, 3600000};
constexpr int quietWindowMs = 500;

Response eventStream(const QByteArray& contentType = "text/event-stream") {
    Response response;
    response.headers = {{"Content-Type", contentType}, {"Cache-Control", "no-cache"}};
    response.holdOpen = true;
    return response;
}

Response status(int code) {
    Response response = Response::text("refused", code);
    return response;
}

} // namespace

// The channel's rules against a loopback server: what it reads, when it reopens (and with which
// event it asks to resume), and when it rests.
class TestEventStream : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void stream_readsReopensOrRests_data();
    void stream_readsReopensOrRests();
    void offer_refusesUnsafeAddresses_data();
    void offer_refusesUnsafeAddresses();
    void offeredAddress_readsLinkHeaders_data();
    void offeredAddress_readsLinkHeaders();

private:
    std::unique_ptr<TestHttpServer> site;
    std::unique_ptr<EventStream> stream;
};

void TestEventStream::init() {
    site = std::make_unique<TestHttpServer>();
    QVERIFY(site->listen());
    site->route("/events", eventStream());
    stream = std::make_unique<EventStream>(quick);
}

void TestEventStream::cleanup() {
    stream.reset();
    site.reset();
}

// Each row: the first reply, what the open stream then carries, whether the server then ends
// it, how many messages were taken in, and what the channel does then: "reopens" (naming the
// last event read), "stays" open, or "rests" after a refusal, deaf even to a resume.
void TestEventStream::stream_readsReopensOrRests_data() {
    QTest::addColumn<Response>("first");
    QTest::addColumn<QByteArray>("carried");
    QTest::addColumn<bool>("ended");
    QTest::addColumn<int>("messages");
    QTest::addColumn<QString>("then");
    QTest::addColumn<QByteArray>("lastEventId");

    const QByteArray stored = R"(data: {"new":[{"id":"5","name":"Ann"}]})";
    const QByteArray none;
    QTest::newRow("an ended stream reopens from its last event")
        << eventStream() << ": hi\n\nid: 7\n" + stored + "\n\n"
        << true << 1 << "reopens" << QByteArray("7");
    QTest::newRow("CR, LF and CRLF lines, data over two lines")
        << eventStream() << QByteArray("id: 8\r\ndata: {\"gone\":\rdata: [\"5\"]}\r\n\r: x\n\n")
        << false << 1 << "stays" << none;
    QTest::newRow("another event type is left alone")
        << eventStream() << QByteArray("event: ping\ndata: not json\n\n") << false << 0 << "stays"
        << none;
    QTest::newRow("text that is no JSON reopens")
        << eventStream() << QByteArray("id: 3\ndata: hello\n\n") << false << 0 << "reopens"
        << QByteArray("3");
    QTest::newRow("a list of the wrong kind reopens")
        << eventStream() << QByteArray("data: {\"new\":\"5\",\"gone\":[1]}\n\n") << false << 0
        << "reopens" << none;
    QTest::newRow("an event past a mebibyte reopens")
        << eventStream() << "data: " + QByteArray(1100 * 1024, 'x') << false << 0 << "reopens"
        << none;
    QTest::newRow("silence reopens") << eventStream() << none << false << 0 << "reopens" << none;
    QTest::newRow("a failing site is tried again")
        << status(502) << none << false << 0 << "reopens" << none;
    QTest::newRow("401 rests") << status(401) << none << false << 0 << "rests" << none;
    QTest::newRow("403 rests") << status(403) << none << false << 0 << "rests" << none;
    QTest::newRow("404 rests") << status(404) << none << false << 0 << "rests" << none;
    QTest::newRow("a page that is no event stream rests")
        << eventStream("text/html") << QByteArray("<html>") << false << 0 << "rests" << none;
}

void TestEventStream::stream_readsReopensOrRests() {
    QFETCH(Response, first);
    QFETCH(QByteArray, carried);
    QFETCH(bool, ended);
    QFETCH(int, messages);
    QFETCH(QString, then);
    QFETCH(QByteArray, lastEventId);
    site->enqueue("/events", first);
    QSignalSpy taken(stream.get(), &EventStream::message);
    QSignalSpy opened(stream.get(), &EventStream::opened);
    QSignalSpy down(stream.get(), &EventStream::down);
    stream->offer(QUrl(site->url("/events")), QUrl(site->baseUrl()), QStringLiteral("{op-1}"));
    QVERIFY(site->waitForRequests(1));
    const auto request = site->requests().first();
    QCOMPARE(request.header("Authorization"), QByteArray("Bearer {op-1}"));
    QCOMPARE(request.header("Accept"), QByteArray("text/event-stream"));
    QVERIFY(request.header("Last-Event-ID").isEmpty());
    QTRY_VERIFY(opened.size() + down.size() > 0);
    site->push(carried);
    if (ended) {
        site->endHeld();
    }
    if (then == QLatin1String("reopens")) {
        QVERIFY(site->waitForRequests(2, 3000));
        QCOMPARE(site->requests().at(1).header("Last-Event-ID"), lastEventId);
        QTRY_COMPARE(opened.size(), first.status == 200 ? 2 : 1);
        QVERIFY(opened.last().first().toBool());
    } else {
        QTest::qWait(quietWindowMs);
        if (then == QLatin1String("rests")) {
            stream->reopenNow();
            QTest::qWait(100);
        }
        QCOMPARE(site->requestCount(), 1);
    }
    QCOMPARE(taken.size(), messages);
    QCOMPARE(down.isEmpty(), then == QLatin1String("stays"));
    QCOMPARE(stream->isLive(), then != QLatin1String("rests"));
}

void TestEventStream::offer_refusesUnsafeAddresses_data() {
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("siteAddress");
    QTest::newRow("another scheme") << "ftp://127.0.0.1/events"
                                    << "http://127.0.0.1";
    QTest::newRow("a script") << "javascript:alert(1)"
                              << "http://127.0.0.1";
    QTest::newRow("plain http for a site on https") << "http://127.0.0.1:%1/events"
                                                    << "https://127.0.0.1";
    QTest::newRow("no host") << "http:///events"
                             << "http://127.0.0.1";
}

void TestEventStream::offer_refusesUnsafeAddresses() {
    QFETCH(QString, address);
    QFETCH(QString, siteAddress);
    QSignalSpy closed(stream.get(), &EventStream::closed);
    stream->offer(QUrl(address.arg(site->port())), QUrl(siteAddress), QStringLiteral("{op-1}"));
    stream->reopenNow();
    QTest::qWait(200);
    QCOMPARE(site->requestCount(), 0);
    QCOMPARE(closed.size(), 1);
}

void TestEventStream::offeredAddress_readsLinkHeaders_data() {
    QTest::addColumn<QByteArray>("link");
    QTest::addColumn<QString>("address");
    QTest::newRow("absolute") << QByteArray(R"(<http://a.example/ev>; rel="vorlan-events")")
                              << "http://a.example/ev";
    QTest::newRow("relative, unquoted, among others")
        << QByteArray(
               R"(<https://x/style.css>; rel=preload; as="a,b", </sub?id=1>;rel=vorlan-events)")
        << "https://site.example/sub?id=1";
    QTest::newRow("one of several relations")
        << QByteArray(R"(<ev>; title="x; y"; rel="alternate Vorlan-Events")")
        << "https://site.example/vorlan/ev";
    QTest::newRow("after a link with no parameters")
        << QByteArray(R"(<https://x/a> , </sub>; rel=vorlan-events)") << "https://site.example/sub";
    QTest::newRow("another relation only") << QByteArray(R"(<ev>; rel="next")") << QString();
    QTest::newRow("no link at all") << QByteArray("garbage") << QString();
}

void TestEventStream::offeredAddress_readsLinkHeaders() {
    QFETCH(QByteArray, link);
    QFETCH(QString, address);
    const EventStream::Headers headers{{"Content-Type", "application/json"}, {"link", link}};
    QCOMPARE(EventStream::offeredAddress(headers, QUrl("https://site.example/vorlan/get.php")),
             QUrl(address));
}

QTEST_GUILESS_MAIN(TestEventStream)
#include "tst_eventstream.moc"
