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
    void defaultTransferTimeout_failsAfter30Seconds();
    void slowExchange_endsAfter120Seconds();
};

void TestVLRequestDeadline::defaultTransferTimeout_failsAfter30Seconds() {
    TestHttpServer server;
    QVERIFY(server.listen());
    Response silent;
    silent.stall = true;
    server.route("/silent", silent);
    QTimer::singleShot(45000, &server, &TestHttpServer::closeConnections);
    VLRequest request(nullptr);
    request.setRequestUrl(server.url("/silent"));
    request.setMethod(QStringLiteral("post"));
    QElapsedTimer elapsed;
    elapsed.start();
    request.exec();

    QVERIFY(!request.replyOK());
    QCOMPARE(request.replyErrorString, QStringLiteral("The site did not answer within 30 seconds"));
    QVERIFY2(elapsed.elapsed() >= 29000 && elapsed.elapsed() < 40000,
             qPrintable(QString::number(elapsed.elapsed())));
}

// A site that keeps sending a byte a second never trips the silence time-out; the whole
// exchange, its redirect included, must still end at 120 seconds.
void TestVLRequestDeadline::slowExchange_endsAfter120Seconds() {
    TestHttpServer server;
    QVERIFY(server.listen());
    Response slowRedirect = Response::redirect(302, "/slow");
    slowRedirect.delayMs = 10000;
    server.route("/start", slowRedirect);
    Response slow = Response::text(QByteArray(125, 'x'));
    slow.trickleMs = 1000;
    server.route("/slow", slow);
    VLRequest request(nullptr);
    request.setRequestUrl(server.url("/start"));
    request.setMethod(QStringLiteral("get"));
    QElapsedTimer elapsed;
    elapsed.start();
    request.exec();

    QVERIFY(!request.replyOK());
    QCOMPARE(request.replyErrorString,
             QStringLiteral("The site did not finish answering within 120 seconds"));
    QVERIFY2(elapsed.elapsed() >= 119000 && elapsed.elapsed() < 125000,
             qPrintable(QString::number(elapsed.elapsed())));
    QCOMPARE(server.requestCount(), 2);
}

QTEST_MAIN(TestVLRequestDeadline)
#include "tst_vlrequest_deadline.moc"
