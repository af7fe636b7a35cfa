#include "net/replyinflater.h"
#include "requestfixture.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QNetworkProxy>
#include <QSslSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using Request = TestHttpServer::Request;
using Response = TestHttpServer::Response;
using Fields = QList<QPair<QString, QString>>;

class TestVLRequest : public QObject, private RequestFixture {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void setMethod_data();
    void setMethod();
    void exec_sendsItems_data();
    void exec_sendsItems();
    void addHeader_data();
    void addHeader();
    void exec_httpError_keepsBodyAndText();
    void freshObject_isOkAndEmpty();
    void exec_again_resendsEarlierItems();
    void exec_unsendableMethod_sendsNothingAndFails_data();
    void exec_unsendableMethod_sendsNothingAndFails();
    void directOperations_data();
    void directOperations();

    void redirect_followUp_data();
    void redirect_followUp();
    void redirect_dropsUserInfo();
    void redirect_refused_data();
    void redirect_refused();
    void redirect_onlyToTheSameHost_data();
    void redirect_onlyToTheSameHost();
    void redirect_betweenSchemes_data();
    void redirect_betweenSchemes();
    void transferTimeout_failsSilentSite_data();
    void transferTimeout_failsSilentSite();
    void replySize_limited_data();
    void replySize_limited();
    void replyInflater_stopsAtRoom();
    void errorText_hidesSecrets_data();
    void errorText_hidesSecrets();
};

void TestVLRequest::init() {
    QVERIFY(setUpRequest());
}

void TestVLRequest::cleanup() {
    tearDownRequest();
}

void TestVLRequest::setMethod_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("sentAs");

    QTest::newRow("post") << "post" << true << "POST";
    QTest::newRow("get") << "get" << true << "GET";
    QTest::newRow("upper-case POST keeps get") << "POST" << false << "GET";
    QTest::newRow("unlisted delete keeps get") << "delete" << false << "GET";
    QTest::newRow("empty keeps get") << "" << false << "GET";
}

// The method is first set to "get"; a rejected name must leave it in use.
void TestVLRequest::setMethod() {
    QFETCH(QString, name);
    QFETCH(bool, accepted);
    QFETCH(QString, sentAs);

    server->route("/m", Response::text("ok"));
    QVERIFY(request->setMethod(QStringLiteral("get")));
    QCOMPARE(request->setMethod(name), accepted);
    request->setRequestUrl(server->url("/m"));
    request->exec();

    QCOMPARE(server->requestCount(), 1);
    QCOMPARE(server->requests().first().method, sentAs.toUtf8());
    QVERIFY(request->replyOK());
    QCOMPARE(request->replyText, QByteArray("ok"));
}

void TestVLRequest::exec_sendsItems_data() {
    QTest::addColumn<QString>("method");
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<Fields>("items");
    QTest::addColumn<QByteArray>("sentMethod");
    QTest::addColumn<QByteArray>("sentTarget");
    QTest::addColumn<QByteArray>("sentBody");
    QTest::addColumn<QByteArray>("sentContentType");

    const Fields ab{{"a", "1"}, {"b", "2"}};
    const QByteArray form = "application/x-www-form-urlencoded";
    QTest::newRow("get a=1&b=2") << "get" << QByteArray("/s") << ab << QByteArray("GET")
                                 << QByteArray("/s?a=1&b=2") << QByteArray() << QByteArray();
    QTest::newRow("post a=1&b=2 in query and body")
        << "post" << QByteArray("/s") << ab << QByteArray("POST") << QByteArray("/s?a=1&b=2")
        << QByteArray("a=1&b=2") << form;
    QTest::newRow("own query dropped without items")
        << "get" << QByteArray("/s?x=9") << Fields{} << QByteArray("GET") << QByteArray("/s")
        << QByteArray() << QByteArray();
    QTest::newRow("own query replaced by items")
        << "post" << QByteArray("/s?x=9") << Fields{{"a", "1"}} << QByteArray("POST")
        << QByteArray("/s?a=1") << QByteArray("a=1") << form;
    QTest::newRow("blank stays a blank in the body")
        << "post" << QByteArray("/s") << Fields{{"comment", "call back"}} << QByteArray("POST")
        << QByteArray("/s?comment=call%20back") << QByteArray("comment=call back") << form;
    QTest::newRow("non-ASCII as UTF-8")
        << "post" << QByteArray("/s") << Fields{{"name", QStringLiteral("Иван")}}
        << QByteArray("POST") << QByteArray("/s?name=%D0%98%D0%B2%D0%B0%D0%BD")
        << QStringLiteral("name=Иван").toUtf8() << form;
    QTest::newRow("plus, percent and delimiters arrive as typed")
        << "post" << QByteArray("/s") << Fields{{"comment", "+7 900 & 100% x%2By=1"}}
        << QByteArray("POST") << QByteArray("/s?comment=%2B7%20900%20%26%20100%25%20x%252By%3D1")
        << QByteArray("comment=%2B7 900 %26 100%25 x%252By%3D1") << form;
    QTest::newRow("equal keys all stay, in order")
        << "get" << QByteArray("/s") << Fields{{"k", "2"}, {"k", "1"}} << QByteArray("GET")
        << QByteArray("/s?k=2&k=1") << QByteArray() << QByteArray();
}

void TestVLRequest::exec_sendsItems() {
    QFETCH(QString, method);
    QFETCH(QByteArray, path);
    QFETCH(Fields, items);
    QFETCH(QByteArray, sentMethod);
    QFETCH(QByteArray, sentTarget);
    QFETCH(QByteArray, sentBody);
    QFETCH(QByteArray, sentContentType);

    server->route("/s", Response::json("[]"));
    request->setRequestUrl(server->url(path));
    QVERIFY(request->setMethod(method));
    for (const auto& item : items)
        request->addQueryItem(item.first, item.second);
    request->exec();

    QCOMPARE(server->requestCount(), 1);
    const Request sent = server->requests().first();
    QCOMPARE(sent.method, sentMethod);
    QCOMPARE(sent.target, sentTarget);
    QCOMPARE(sent.body, sentBody);
    QCOMPARE(sent.header("Content-Type"), sentContentType);
    if (sentMethod == "POST")
        QCOMPARE(sent.formFields(), items);
    QVERIFY(request->replyOK());
    QCOMPARE(request->readReplyText(), QByteArray("[]"));
}

void TestVLRequest::addHeader_data() {
    QTest::addColumn<bool>("asText");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("sent");

    QTest::newRow("bytes") << false << "token" << QByteArray("token");
    QTest::newRow("text as UTF-8")
        << true << QStringLiteral("ключ") << QStringLiteral("ключ").toUtf8();
    QTest::newRow("text cut at NUL")
        << true << QStringLiteral("before") + QChar(0) + "after" << QByteArray("before");
}

void TestVLRequest::addHeader() {
    QFETCH(bool, asText);
    QFETCH(QString, value);
    QFETCH(QByteArray, sent);

    server->route("/h", Response::text("ok"));
    request->setRequestUrl(server->url("/h"));
    request->setMethod(QStringLiteral("get"));
    if (asText) {
        request->addHeader(QStringLiteral("X-Token"), QStringLiteral("replaced"));
        request->addHeader(QStringLiteral("X-Token"), value);
    } else {
        request->addHeader(QByteArray("X-Token"), QByteArray("replaced"));
        request->addHeader(QByteArray("X-Token"), value.toUtf8());
    }
    request->exec();

    QCOMPARE(server->requestCount(), 1);
    QCOMPARE(server->requests().first().header("X-Token"), sent);
}

void TestVLRequest::exec_httpError_keepsBodyAndText() {
    request->setRequestUrl(server->url("/missing"));
    request->setMethod(QStringLiteral("post"));
    request->exec();

    QVERIFY(!request->replyOK());
    QVERIFY(!request->replyErrorString.isEmpty());
    QCOMPARE(request->replyText, QByteArray("Not found: /missing"));
}

void TestVLRequest::freshObject_isOkAndEmpty() {
    QVERIFY(request->replyOK());
    QVERIFY(request->readReplyText().isEmpty());
    QVERIFY(request->replyErrorString.isEmpty());
}

void TestVLRequest::exec_again_resendsEarlierItems() {
    server->route("/r", Response::text("ok"));
    request->setRequestUrl(server->url("/r"));
    request->setMethod(QStringLiteral("post"));
    request->addQueryItem(QStringLiteral("a"), QStringLiteral("1"));
    request->exec();
    request->addQueryItem(QStringLiteral("c"), QStringLiteral("3"));
    request->exec();

    QCOMPARE(server->requestCount(), 2);
    QCOMPARE(server->requests().at(1).target, QByteArray("/r?a=1&c=3"));
    QCOMPARE(server->requests().at(1).body, QByteArray("a=1&c=3"));
}

void TestVLRequest::exec_unsendableMethod_sendsNothingAndFails_data() {
    QTest::addColumn<QString>("method");
    QTest::addColumn<bool>("download");
    QTest::addColumn<QString>("named");

    QTest::newRow("exec put") << "put" << false << "\"put\"";
    QTest::newRow("exec without method") << "" << false << "no method";
    QTest::newRow("download put") << "put" << true << "\"put\"";
    QTest::newRow("download without method") << "" << true << "no method";
}

void TestVLRequest::exec_unsendableMethod_sendsNothingAndFails() {
    QFETCH(QString, method);
    QFETCH(bool, download);
    QFETCH(QString, named);

    server->route("/u", Response::text("ok"));
    if (!method.isEmpty())
        QVERIFY(request->setMethod(method));
    request->setRequestUrl(server->url("/u"));
    if (download)
        request->download(server->url("/u"));
    else
        request->exec();

    QVERIFY(!request->replyOK());
    QVERIFY2(request->replyErrorString.contains(named), qPrintable(request->replyErrorString));
    QVERIFY(!server->waitForRequests(1, 300));
}

void TestVLRequest::directOperations_data() {
    QTest::addColumn<QByteArray>("operation");
    QTest::addColumn<QByteArray>("sentMethod");
    QTest::addColumn<QByteArray>("sentBody");

    QTest::newRow("post") << QByteArray("post") << QByteArray("POST") << QByteArray("{\"x\":1}");
    QTest::newRow("put bytes") << QByteArray("put") << QByteArray("PUT") << QByteArray("a\0b", 3);
    QTest::newRow("put device") << QByteArray("putDevice") << QByteArray("PUT")
                                << QByteArray("from device");
    QTest::newRow("delete") << QByteArray("delete") << QByteArray("DELETE") << QByteArray();
}

// These ignore the method, send the body unchanged and leave a redirect unfollowed.
void TestVLRequest::directOperations() {
    QFETCH(QByteArray, operation);
    QFETCH(QByteArray, sentMethod);
    QFETCH(QByteArray, sentBody);

    server->route("/d", Response::redirect(302, "/elsewhere"));
    request->setRequestUrl(server->url("/d"));
    request->setMethod(QStringLiteral("get"));
    request->addQueryItem(QStringLiteral("id"), QStringLiteral("7"));
    request->addHeader(QByteArray("Content-Type"), QByteArray("application/octet-stream"));
    QBuffer device;
    device.setData(sentBody);
    if (operation == "post")
        request->post(sentBody);
    else if (operation == "put")
        request->put(sentBody);
    else if (operation == "putDevice")
        request->put(&device);
    else
        request->deleteResource();

    QVERIFY(request->replyOK());
    QVERIFY(!server->waitForRequests(2, 300));
    const Request sent = server->requests().first();
    QCOMPARE(sent.method, sentMethod);
    QCOMPARE(sent.target, QByteArray("/d?id=7"));
    QCOMPARE(sent.body, sentBody);
}

void TestVLRequest::redirect_followUp_data() {
    QTest::addColumn<QString>("method");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("location"); // "<base>" stands for the server's address
    QTest::addColumn<QByteArray>("followedTo");

    QTest::newRow("post 302 absolute, port kept")
        << "post" << 302 << QByteArray("<base>/dir/next?x=1") << QByteArray("/dir/next?x=1");
    QTest::newRow("get 301 absolute")
        << "get" << 301 << QByteArray("<base>/dir/next") << QByteArray("/dir/next");
    QTest::newRow("post 303 absolute path")
        << "post" << 303 << QByteArray("/dir/next?x=2") << QByteArray("/dir/next?x=2");
    QTest::newRow("get 307 relative path")
        << "get" << 307 << QByteArray("next?x=3") << QByteArray("/dir/next?x=3");
    QTest::newRow("post 308 dot segments")
        << "post" << 308 << QByteArray("../dir/./next") << QByteArray("/dir/next");
    QTest::newRow("fragment dropped")
        << "get" << 302 << QByteArray("<base>/dir/next#part") << QByteArray("/dir/next");
}

// The follow-up repeats the method and the form body, but none of the headers set by addHeader.
void TestVLRequest::redirect_followUp() {
    QFETCH(QString, method);
    QFETCH(int, status);
    QFETCH(QByteArray, location);
    QFETCH(QByteArray, followedTo);

    server->route(
        "/dir/start",
        Response::redirect(status, location.replace("<base>", server->baseUrl().toUtf8())));
    server->route("/dir/next", Response::text("second"));
    request->setRequestUrl(server->url("/dir/start"));
    request->setMethod(method);
    request->addQueryItem(QStringLiteral("a"), QStringLiteral("1 2"));
    request->addHeader(QByteArray("X-Secret"), QByteArray("s3"));
    request->exec();

    QCOMPARE(server->requestCount(), 2);
    const Request first = server->requests().at(0);
    const Request followUp = server->requests().at(1);
    QCOMPARE(first.header("X-Secret"), QByteArray("s3"));
    QCOMPARE(followUp.method, method.toUpper().toUtf8());
    QCOMPARE(followUp.target, followedTo);
    QCOMPARE(followUp.body, method == QLatin1String("post") ? QByteArray("a=1 2") : QByteArray());
    QVERIFY(followUp.header("X-Secret").isEmpty());
    QVERIFY(request->replyOK());
    QCOMPARE(request->replyText, QByteArray("second"));
}

void TestVLRequest::redirect_dropsUserInfo() {
    server->setHandler([this](const Request& sent) {
        if (sent.path == "/start")
            return Response::redirect(
                302,
                server->baseUrl().toUtf8().replace("http://", "http://operator:secret@") + "/next");
        if (!sent.header("Authorization").isEmpty())
            return Response::text("credentials carried");
        Response challenge = Response::text("who?", 401);
        challenge.headers.append(
            qMakePair(QByteArray("WWW-Authenticate"), QByteArray("Basic realm=\"site\"")));
        return challenge;
    });
    request->setRequestUrl(server->url("/start"));
    request->setMethod(QStringLiteral("get"));
    request->exec();

    QCOMPARE(server->requestCount(), 2);
    QCOMPARE(server->requests().at(1).path, QByteArray("/next"));
    QVERIFY(server->requests().at(1).header("Authorization").isEmpty());
    QVERIFY(!request->replyOK());
}

void TestVLRequest::redirect_refused_data() {
    QTest::addColumn<QByteArray>("startPath");
    QTest::addColumn<int>("requestsSent");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("errorPart");

    QTest::newRow("chain of 20 is followed") << QByteArray("/hop/20") << 21 << true << "";
    QTest::newRow("chain of 21 ends")
        << QByteArray("/hop/21") << 21 << false << "More than 20 redirects";
    QTest::newRow("redirect to itself ends")
        << QByteArray("/loop") << 21 << false << "More than 20 redirects";
    QTest::newRow("ftp target refused")
        << QByteArray("/to-ftp") << 1 << false << "only http and https";
    QTest::newRow("file target refused")
        << QByteArray("/to-file") << 1 << false << "only http and https";
    QTest::newRow("another host refused, named")
        << QByteArray("/to-other-host") << 1 << false << "\"http://localhost:";
}

void TestVLRequest::redirect_refused() {
    QFETCH(QByteArray, startPath);
    QFETCH(int, requestsSent);
    QFETCH(bool, ok);
    QFETCH(QString, errorPart);

    const QByteArray base = server->baseUrl().toUtf8();
    server->setHandler([base](const Request& sent) {
        if (sent.path == "/loop")
            return Response::redirect(302, "/loop");
        if (sent.path == "/to-ftp")
            return Response::redirect(302, "ftp://127.0.0.1/file");
        if (sent.path == "/to-file")
            return Response::redirect(302, "file:///etc/hostname");
        if (sent.path == "/to-other-host")
            return Response::redirect(302, QByteArray(base).replace("127.0.0.1", "localhost") +
                                               "/hop/0");
        const int left = sent.path.mid(5).toInt();
        if (left == 0)
            return Response::text("end");
        return Response::redirect(302, base + "/hop/" + QByteArray::number(left - 1));
    });
    request->setRequestUrl(server->url(startPath));
    request->setMethod(QStringLiteral("get"));
    request->exec();

    QCOMPARE(request->replyOK(), ok);
    QCOMPARE(server->requestCount(), requestsSent);
    QVERIFY(!server->waitForRequests(requestsSent + 1, 300));
    if (ok)
        QCOMPARE(request->replyText, QByteArray("end"));
    else
        QVERIFY2(request->replyErrorString.contains(errorPart),
                 qPrintable(request->replyErrorString));
}

void TestVLRequest::redirect_onlyToTheSameHost_data() {
    QTest::addColumn<QByteArray>("location");
    QTest::addColumn<QByteArray>("followedTo"); // empty: refused

    QTest::newRow("same host, other port")
        << QByteArray("http://example.com:8080/next") << QByteArray("http://example.com:8080/next");
    QTest::newRow("same host in upper case")
        << QByteArray("http://EXAMPLE.COM/next") << QByteArray("http://example.com/next");
    QTest::newRow("user info before the same host")
        << QByteArray("http://example.net@example.com/next")
        << QByteArray("http://example.com/next");
    QTest::newRow("name ending in the host's name")
        << QByteArray("http://evilexample.com/next") << QByteArray();
    QTest::newRow("subdomain") << QByteArray("http://www.example.com/next") << QByteArray();
    QTest::newRow("IP literal") << QByteArray("http://93.184.215.14/next") << QByteArray();
    QTest::newRow("trailing dot") << QByteArray("http://example.com./next") << QByteArray();
    QTest::newRow("user info naming the host")
        << QByteArray("http://example.com@example.net/next") << QByteArray();
}

// The loopback server stands in as the proxy, so every host name reaches it without a lookup.
void TestVLRequest::redirect_onlyToTheSameHost() {
    QFETCH(QByteArray, location);
    QFETCH(QByteArray, followedTo);

    server->setHandler([location](const Request& sent) {
        return sent.path.endsWith("/start") ? Response::redirect(302, location)
                                            : Response::text("arrived");
    });
    QNetworkProxy proxy(QNetworkProxy::HttpProxy, QStringLiteral("127.0.0.1"), server->port());
    request->setProxy(&proxy);
    request->setRequestUrl(QStringLiteral("http://example.com/start"));
    request->setMethod(QStringLiteral("get"));
    request->exec();

    QCOMPARE(server->requests().first().target, QByteArray("http://example.com/start"));
    if (followedTo.isEmpty()) {
        QVERIFY(!request->replyOK());
        QVERIFY(!server->waitForRequests(2, 300));
        QVERIFY2(request->replyErrorString.contains(QLatin1String("it leaves example.com")),
                 qPrintable(request->replyErrorString));
    } else {
        QCOMPARE(server->requestCount(), 2);
        QCOMPARE(server->requests().at(1).target, followedTo);
        QCOMPARE(request->replyText, QByteArray("arrived"));
    }
}

void TestVLRequest::redirect_betweenSchemes_data() {
    QTest::addColumn<bool>("fromTls");
    QTest::addColumn<bool>("toTls");
    QTest::addColumn<bool>("followed");

    QTest::newRow("https to https") << true << true << true;
    QTest::newRow("http to https") << false << true << true;
    QTest::newRow("https down to http refused") << true << false << false;
}

// The fields may hold a password, so they never travel on from https to plain http.
void TestVLRequest::redirect_betweenSchemes() {
    QFETCH(bool, fromTls);
    QFETCH(bool, toTls);
    QFETCH(bool, followed);

    if (!QSslSocket::supportsSsl())
        QSKIP("Qt has no TLS support here");
    TestHttpServer::trustTestCertificate();
    TestHttpServer from;
    TestHttpServer to;
    QVERIFY(fromTls ? from.listenSecure() : from.listen());
    QVERIFY(toTls ? to.listenSecure() : to.listen());
    from.route("/start", Response::redirect(302, to.url("/next").toUtf8()));
    to.route("/next", Response::text("arrived"));
    request->setRequestUrl(from.url("/start"));
    request->setMethod(QStringLiteral("post"));
    request->addQueryItem(QStringLiteral("password"), QStringLiteral("secret"));
    request->exec();

    QCOMPARE(from.requestCount(), 1);
    QCOMPARE(from.requests().first().body, QByteArray("password=secret"));
    QCOMPARE(request->replyOK(), followed);
    if (followed) {
        QCOMPARE(to.requestCount(), 1);
        QCOMPARE(request->replyText, QByteArray("arrived"));
    } else {
        QVERIFY(!to.waitForRequests(1, 300));
        QVERIFY2(request->replyErrorString.contains(QLatin1String("from https to http")),
                 qPrintable(request->replyErrorString));
    }
}

void TestVLRequest::transferTimeout_failsSilentSite_data() {
    QTest::addColumn<QString>("method");
    QTest::addColumn<bool>("afterRedirect");

    QTest::newRow("get") << "get" << false;
    QTest::newRow("post after a redirect") << "post" << true;
}

void TestVLRequest::transferTimeout_failsSilentSite() {
    QFETCH(QString, method);
    QFETCH(bool, afterRedirect);

    Response silent;
    silent.stall = true;
    server->route("/silent", silent);
    server->route("/start", Response::redirect(302, "/silent"));
    // Ends a wait that would otherwise last forever, so that a missing time-out fails, not hangs.
    QTimer::singleShot(10000, server.get(), [this] {
        server->route("/silent", Response::text("too late"));
        server->closeConnections();
    });
    request->setTransferTimeout(400);
    request->setRequestUrl(server->url(afterRedirect ? "/start" : "/silent"));
    request->setMethod(method);
    QElapsedTimer elapsed;
    elapsed.start();
    request->exec();

    QVERIFY(!request->replyOK());
    QCOMPARE(request->replyErrorString,
             QStringLiteral("The site did not answer within 0.4 seconds"));
    QVERIFY2(elapsed.elapsed() < 5000, qPrintable(QString::number(elapsed.elapsed())));
    QCOMPARE(server->requests().last().path, QByteArray("/silent"));
}

void TestVLRequest::replySize_limited_data() {
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QByteArray>("encoding");
    QTest::addColumn<bool>("toFile");
    QTest::addColumn<bool>("ok");

    const int limit = 100000;
    const QByteArray exact(limit, 'x');
    // qCompress writes a 4-byte length, then the zlib stream that "deflate" names.
    const QByteArray bomb = qCompress(QByteArray(50 * limit, '['), 9).mid(4);
    QTest::newRow("body of exactly the limit") << exact << QByteArray() << false << true;
    QTest::newRow("one byte more") << exact + 'x' << QByteArray() << false << false;
    QTest::newRow("chunked, one byte more")
        << exact + 'x' << QByteArray("chunked") << false << false;
    QTest::newRow("deflate bomb, 5 kB unpacking to 5 MB")
        << bomb << QByteArray("deflate") << false << false;
    QTest::newRow("download to file, one byte more")
        << exact + 'x' << QByteArray() << true << false;
}

void TestVLRequest::replySize_limited() {
    QFETCH(QByteArray, body);
    QFETCH(QByteArray, encoding);
    QFETCH(bool, toFile);
    QFETCH(bool, ok);

    Response reply = Response::text(body);
    reply.chunked = encoding == "chunked";
    if (encoding == "deflate")
        reply.headers.append(qMakePair(QByteArray("Content-Encoding"), encoding));
    server->route("/big", reply);
    request->setMaximumReplySize(100000);
    request->setMethod(QStringLiteral("get"));
    QTemporaryDir scratch;
    if (toFile)
        request->download(server->url("/big"), scratch.filePath(QStringLiteral("body")));
    else
        request->download(server->url("/big"));

    QCOMPARE(request->replyOK(), ok);
    if (ok) {
        QCOMPARE(request->replyText, body);
    } else {
        QVERIFY(request->replyText.isEmpty());
        QCOMPARE(request->replyErrorString,
                 QStringLiteral("The site's reply passed the limit of 0.0953674 MiB and was not "
                                "read further"));
    }
}

// A bomb is unpacked no further than asked: the room, and what the last piece brought.
void TestVLRequest::replyInflater_stopsAtRoom() {
    const QByteArray bomb = qCompress(QByteArray(5 * 1024 * 1024, '['), 9).mid(4);
    const int room = 1000;
    const int piece = 64 * 1024;
    const QByteArray earlier("earlier");
    ReplyInflater inflater(QByteArrayLiteral("deflate"));
    QByteArray output = earlier;
    QVERIFY(inflater.inflate(bomb, &output, room));
    const int added = output.size() - earlier.size();
    QVERIFY2(added > room && added <= room + piece, qPrintable(QString::number(added)));
    QVERIFY(output.startsWith(earlier + '['));
}

void TestVLRequest::errorText_hidesSecrets_data() {
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<QString>("shown");

    QTest::newRow("HTTP error") << QByteArray("/missing")
                                << "/missing?pass=***&opID=%7B8a1f\u2026&opName=Desk&apiVer=1";
    QTest::newRow("refused redirect repeating the fields")
        << QByteArray("/away") << "localhost:1/reg.php?pass=***&operator=%7B8a1f\u2026";
}

// The password is never printed, the operator's identifier only by its start.
void TestVLRequest::errorText_hidesSecrets() {
    QFETCH(QByteArray, path);
    QFETCH(QString, shown);

    server->route("/away",
                  Response::redirect(302, "http://localhost:1/reg.php?pass=pa55word&operator="
                                          "{8a1f0c2e-1111-4222-8333-444455556666}"));
    request->setRequestUrl(server->url(path));
    request->setMethod(QStringLiteral("post"));
    // Characters that the address carries percent-encoded, and that Qt's texts show decoded.
    request->addQueryItem(QStringLiteral("pass"), QStringLiteral("pa55 w\u00F6rd"));
    request->addQueryItem(QStringLiteral("opID"),
                          QStringLiteral("{8a1f0c2e-1111-4222-8333-444455556666}"));
    request->addQueryItem(QStringLiteral("opName"), QStringLiteral("Desk"));
    request->addQueryItem(QStringLiteral("apiVer"), QStringLiteral("1"));
    request->exec();

    QVERIFY(!request->replyOK());
    const QString text = request->replyErrorString;
    QVERIFY2(text.contains(shown), qPrintable(text));
    QVERIFY2(!text.contains(QLatin1String("pa55")), qPrintable(text));
    QVERIFY2(!text.contains(QLatin1String("8a1f0")), qPrintable(text));
}

QTEST_MAIN(TestVLRequest)
#include "tst_vlrequest.moc"
