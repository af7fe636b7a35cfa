#include "requestfixture.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

using Request = TestHttpServer::Request;
using Response = TestHttpServer::Response;

class TestVLRequestDownload : public QObject, private RequestFixture {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void download_plain_data();
    void download_plain();
    void download_toFile_data();
    void download_toFile();
    void download_toUnopenableFile_sendsNothing();

private:
    QByteArray fileContent() const;

    std::unique_ptr<QTemporaryDir> dir;
    QString fileName;
};

void TestVLRequestDownload::init() {
    QVERIFY(setUpRequest());
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY(dir->isValid());
    fileName = dir->filePath(QStringLiteral("download.bin"));
}

void TestVLRequestDownload::cleanup() {
    tearDownRequest();
    dir.reset();
}

QByteArray TestVLRequestDownload::fileContent() const {
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void TestVLRequestDownload::download_plain_data() {
    QTest::addColumn<QString>("method");
    QTest::addColumn<QByteArray>("sentBody");

    QTest::newRow("get") << "get" << QByteArray();
    QTest::newRow("post sends the items as the body only") << "post" << QByteArray("a=1");
}

// The address is used as given; the URL set with setRequestUrl stays for a later exec().
void TestVLRequestDownload::download_plain() {
    QFETCH(QString, method);
    QFETCH(QByteArray, sentBody);

    server->route("/file", Response::text(QByteArray("bin\0ary", 7)));
    server->route("/api", Response::text("api"));
    request->setRequestUrl(server->url("/api"));
    request->setMethod(method);
    request->addQueryItem(QStringLiteral("a"), QStringLiteral("1"));
    request->download(server->url("/file?own=1"));

    QVERIFY(request->replyOK());
    QCOMPARE(request->replyText, QByteArray("bin\0ary", 7));
    request->exec();

    QCOMPARE(server->requestCount(), 2);
    const Request downloaded = server->requests().at(0);
    QCOMPARE(downloaded.method, method.toUpper().toUtf8());
    QCOMPARE(downloaded.target, QByteArray("/file?own=1"));
    QCOMPARE(downloaded.body, sentBody);
    QCOMPARE(server->requests().at(1).target, QByteArray("/api?a=1"));
    QCOMPARE(request->replyText, QByteArray("api"));
}

void TestVLRequestDownload::download_toFile_data() {
    QTest::addColumn<Response>("response");
    QTest::addColumn<bool>("redirectFirst");
    QTest::addColumn<QByteArray>("fileHolds");
    QTest::addColumn<bool>("ok");

    QByteArray large(1 << 20, Qt::Uninitialized);
    QRandomGenerator generator(7);
    generator.fillRange(reinterpret_cast<quint32*>(large.data()), large.size() / 4);
    Response chunked = Response::text("chunks arrive one by one");
    chunked.chunked = true;
    Response broken = Response::text("0123456789");
    broken.closeMidBody = true;

    QTest::newRow("plain body") << Response::text("hello") << false << QByteArray("hello") << true;
    QTest::newRow("zero bytes kept")
        << Response::text(QByteArray("a\0\0b", 4)) << false << QByteArray("a\0\0b", 4) << true;
    QTest::newRow("empty body") << Response::text("") << false << QByteArray() << true;
    QTest::newRow("chunked body") << chunked << false << QByteArray("chunks arrive one by one")
                                  << true;
    QTest::newRow("large body in order") << Response::text(large) << false << large << true;
    QTest::newRow("404 page lands in the file")
        << Response::text("no such file", 404) << false << QByteArray("no such file") << false;
    QTest::newRow("connection dropped mid-body") << broken << false << QByteArray("01234") << false;
    QTest::newRow("after a redirect only the final body")
        << Response::text("final") << true << QByteArray("final") << true;
}

void TestVLRequestDownload::download_toFile() {
    QFETCH(Response, response);
    QFETCH(bool, redirectFirst);
    QFETCH(QByteArray, fileHolds);
    QFETCH(bool, ok);

    {
        QFile existing(fileName);
        QVERIFY(existing.open(QIODevice::WriteOnly));
        existing.write("an older and much longer content of the file");
    }
    if (redirectFirst) {
        Response moved = Response::redirect(302, "/final");
        moved.body = "this page has moved";
        server->route("/f", moved);
        server->route("/final", response);
    } else {
        server->route("/f", response);
    }
    request->setMethod(QStringLiteral("get"));
    request->download(server->url("/f"), fileName);

    QCOMPARE(request->replyOK(), ok);
    QVERIFY(request->readReplyText().isEmpty());
    QCOMPARE(fileContent(), fileHolds);
    QCOMPARE(server->requestCount(), redirectFirst ? 2 : 1);
}

void TestVLRequestDownload::download_toUnopenableFile_sendsNothing() {
    server->route("/f", Response::text("hello"));
    const QString unopenable = dir->filePath(QStringLiteral("missing-folder/download.bin"));
    request->setMethod(QStringLiteral("get"));
    request->download(server->url("/f"), unopenable);

    QVERIFY(!request->replyOK());
    QVERIFY2(request->replyErrorString.contains(unopenable), qPrintable(request->replyErrorString));
    QVERIFY(!server->waitForRequests(1, 300));
}

QTEST_MAIN(TestVLRequestDownload)
#include "tst_vlrequest_download.moc"
