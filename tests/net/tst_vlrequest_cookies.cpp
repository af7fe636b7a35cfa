#include "requestfixture.h"

#include <QJsonDocument>
#include <QNetworkCookieJar>
#include <QPointer>
#include <QtTest>

using Request = TestHttpServer::Request;
using Response = TestHttpServer::Response;

namespace {

Response settingCookies(const QList<QByteArray>& cookies, const QByteArray& body = "ok") {
    Response response = Response::text(body);
    for (const QByteArray& cookie : cookies)
        response.headers.append(qMakePair(QByteArray("Set-Cookie"), cookie));
    return response;
}

QJsonObject object(const QByteArray& json) {
    return QJsonDocument::fromJson(json).object();
}

QSet<QByteArray> sentCookies(const Request& request) {
    QSet<QByteArray> cookies;
    for (const QByteArray& cookie : request.header("Cookie").split(';')) {
        if (!cookie.trimmed().isEmpty())
            cookies.insert(cookie.trimmed());
    }
    return cookies;
}

} // namespace

class TestVLRequestCookies : public QObject, private RequestFixture {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void cookieToJSON_beforeAnyReply_isEmpty();
    void cookieToJSON_data();
    void cookieToJSON();
    void cookieToJSON_afterRedirects_coversLastUrl();
    void VLsetCookieJar_jarIsUsedAndOwned();
    void cookieFromJSON_data();
    void cookieFromJSON();
    void cookieFromJSON_bindsToLastReplyHost();

private:
    void get(const QByteArray& path);
};

void TestVLRequestCookies::init() {
    QVERIFY(setUpRequest());
    request->setMethod(QStringLiteral("get"));
}

void TestVLRequestCookies::cleanup() {
    tearDownRequest();
}

void TestVLRequestCookies::get(const QByteArray& path) {
    request->setRequestUrl(server->url(path));
    request->exec();
}

void TestVLRequestCookies::cookieToJSON_beforeAnyReply_isEmpty() {
    request->setRequestUrl(server->url("/"));
    QCOMPARE(request->cookieToJSON(), QJsonObject());
}

void TestVLRequestCookies::cookieToJSON_data() {
    QTest::addColumn<QList<QByteArray>>("setCookies");
    QTest::addColumn<QByteArray>("exported");

    QTest::newRow("one cookie") << QList<QByteArray>{"sid=abc"} << QByteArray(R"({"sid":"abc"})");
    QTest::newRow("attributes not exported")
        << QList<QByteArray>{"sid=abc; Path=/; HttpOnly; Max-Age=600"}
        << QByteArray(R"({"sid":"abc"})");
    QTest::newRow("empty value as null")
        << QList<QByteArray>{"sid=abc", "empty="} << QByteArray(R"({"sid":"abc","empty":null})");
    QTest::newRow("UTF-8 value") << QList<QByteArray>{QStringLiteral("who=Иван").toUtf8()}
                                 << QStringLiteral(R"({"who":"Иван"})").toUtf8();
    QTest::newRow("same name, later in the jar's list wins")
        << QList<QByteArray>{"d=deep; Path=/c", "d=root; Path=/"} << QByteArray(R"({"d":"root"})");
    QTest::newRow("cookie for another path left out")
        << QList<QByteArray>{"here=1", "there=2; Path=/elsewhere"} << QByteArray(R"({"here":"1"})");
}

void TestVLRequestCookies::cookieToJSON() {
    QFETCH(QList<QByteArray>, setCookies);
    QFETCH(QByteArray, exported);

    server->route("/c/set", settingCookies(setCookies));
    get("/c/set");

    QVERIFY(request->replyOK());
    QCOMPARE(request->cookieToJSON(), object(exported));
}

void TestVLRequestCookies::cookieToJSON_afterRedirects_coversLastUrl() {
    Response start = settingCookies({"start=1; Path=/start", "all=1; Path=/"});
    start.status = 302;
    start.headers.append(qMakePair(QByteArray("Location"), QByteArray("/end/page")));
    server->route("/start", start);
    server->route("/end/page", settingCookies({"end=2; Path=/end"}));
    get("/start");

    QCOMPARE(server->requestCount(), 2);
    QCOMPARE(sentCookies(server->requests().at(1)), QSet<QByteArray>{"all=1"});
    QCOMPARE(request->cookieToJSON(), object(R"({"all":"1","end":"2"})"));
}

void TestVLRequestCookies::VLsetCookieJar_jarIsUsedAndOwned() {
    QPointer<QNetworkCookieJar> jar = new QNetworkCookieJar;
    jar->setCookiesFromUrl({QNetworkCookie("preset", "p")}, QUrl(server->url("/")));
    request->VLsetCookieJar(jar);
    server->route("/j", settingCookies({"sid=abc"}));
    get("/j");

    QCOMPARE(sentCookies(server->requests().first()), QSet<QByteArray>{"preset=p"});
    QCOMPARE(jar->cookiesForUrl(QUrl(server->url("/j"))).size(), 2);
    request.reset();
    QVERIFY(jar.isNull());
}

void TestVLRequestCookies::cookieFromJSON_data() {
    QTest::addColumn<bool>("withUrl");
    QTest::addColumn<QByteArray>("imported");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QSet<QByteArray>>("sent");

    QTest::newRow("strings and null") << true << QByteArray(R"({"sid":"abc","empty":null})") << true
                                      << QSet<QByteArray>{"sid=abc", "empty="};
    QTest::newRow("empty object") << true << QByteArray("{}") << true << QSet<QByteArray>{};
    QTest::newRow("number refused, nothing imported")
        << true << QByteArray(R"({"sid":"abc","n":5})") << false << QSet<QByteArray>{};
    QTest::newRow("object refused")
        << true << QByteArray(R"({"o":{}})") << false << QSet<QByteArray>{};
    QTest::newRow("no URL to attach to")
        << false << QByteArray(R"({"sid":"abc"})") << false << QSet<QByteArray>{};
}

// Before any reply the cookies belong to the request's URL; the next exchange carries them.
void TestVLRequestCookies::cookieFromJSON() {
    QFETCH(bool, withUrl);
    QFETCH(QByteArray, imported);
    QFETCH(bool, accepted);
    QFETCH(QSet<QByteArray>, sent);

    server->route("/deep/path", Response::text("ok"));
    if (withUrl)
        request->setRequestUrl(server->url("/deep/path"));
    QCOMPARE(request->cookieFromJSON(object(imported)), accepted);
    get("/deep/path");

    QCOMPARE(server->requestCount(), 1);
    QCOMPARE(sentCookies(server->requests().first()), sent);
}

void TestVLRequestCookies::cookieFromJSON_bindsToLastReplyHost() {
    server->route("/first", settingCookies({"sid=abc"}));
    server->route("/other/page", Response::text("ok"));
    get("/first");
    QVERIFY(request->cookieFromJSON(object(R"({"sid":"changed","added":"1"})")));
    get("/other/page");

    QCOMPARE(sentCookies(server->requests().at(1)), (QSet<QByteArray>{"sid=changed", "added=1"}));
    QCOMPARE(request->cookieToJSON(), object(R"({"sid":"changed","added":"1"})"));
}

QTEST_MAIN(TestVLRequestCookies)
#include "tst_vlrequest_cookies.moc"
