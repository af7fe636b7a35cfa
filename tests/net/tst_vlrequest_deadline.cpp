#include "net/vlrequest.h"
#include "testhttpserver.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QtTest>

using Response = TestHttpServer::Response;

// The default limits, at their real length: these tests take about two and a half minutes.
class TestVLRequestDeadline : public QObject {
    Q_OBJECT

private slots:
    void exec_endsAtLimit_data();
    void exec_endsAtLimit();
};

void TestVLRequestDeadline::exec_endsAtLimit_data() {
    QTest::addColumn<Response>("start");
    QTest::addColumn<int>("requestsSent");
    QTest::addColumn<QString>("error");
    QTest::addColumn<int>("endsAfterMs");

    Response silent;
    silent.stall = true;
    // A byte a second never trips the silence time-out, so only the overall limit ends it.
    Response slowRedirect = Response::redirect(302, "/slow");
    slowRedirect.delayMs = 10000;

    QTest::newRow("silent for 30 seconds")
        << silent << 1 << "The site did not answer within 30 seconds" << 30000;
    QTest::newRow("busy for 120 seconds, a redirect included")
        << slowRedirect << 2 << "The site did not finish answering within 120 seconds" << 120000;
}

void TestVLRequestDeadline::exec_endsAtLimit() {
    QFETCH(Response, start);
    QFETCH(int, requestsSent);
    QFETCH(QString, error);
    QFETCH(int, endsAfterMs);

    TestHttpServer server;
    QVERIFY(server.listen());
    server.route("/start", start);
    Response slow = Response::text(QByteArray(125, 'x'));
    slow.trickleMs = 1000;
    server.route("/slow", slow);
    // Without a limit the exchange would outlast the test; this answers it late instead.
    QTimer::singleShot(endsAfterMs + 15000, &server, [&server] {
        server.route("/start", Response::text("too late"));
        server.closeConnections();
    });
    VLRequest request(nullptr);
    request.setRequestUrl(server.url("/start"));
    request.setMethod(QStringLiteral("post"));
    QElapsedTimer elapsed;
    elapsed.start();
    request.exec();

    QVERIFY(!request.replyOK());
    QCOMPARE(request.replyErrorString, error);
    QVERIFY2(elapsed.elapsed() >= endsAfterMs - 1000 && elapsed.elapsed() < endsAfterMs + 5000,
             qPrintable(QString::number(elapsed.elapsed())));
    QCOMPARE(server.requestCount(), requestsSent);
}

QTEST_MAIN(TestVLRequestDeadline)
#include "tst_vlrequest_deadline.moc"
