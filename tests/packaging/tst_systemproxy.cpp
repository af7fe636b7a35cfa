#include "testhttpserver.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

// The real program reaches the site through the proxy of the desktop's settings.
class TestSystemProxy : public QObject {
    Q_OBJECT

private slots:
    void pollGoesThroughProxy();
};

void TestSystemProxy::pollGoesThroughProxy() {
    QTemporaryDir home;
    QVERIFY(QDir().mkpath(home.filePath(QStringLiteral(".vorlan"))));
    QFile conf(home.filePath(QStringLiteral(".vorlan/vorlan.conf")));
    QVERIFY(conf.open(QIODevice::WriteOnly));
    // A site name that does not resolve: only a proxy can carry the request.
    conf.write(R"({"server":"http://vorlan-site.invalid","operatorID":"{op-proxy}"})");
    conf.close();

    TestHttpServer proxy;
    QVERIFY(proxy.listen());
    proxy.route("http://vorlan-site.invalid/vorlan/get.php", TestHttpServer::Response::json("[]"));

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home.path());
    environment.insert(QStringLiteral("http_proxy"), proxy.baseUrl());
    environment.remove(QStringLiteral("no_proxy"));
    environment.remove(QStringLiteral("NO_PROXY"));
    QProcess program;
    program.setProcessEnvironment(environment);
    program.start(qEnvironmentVariable("VORLAN_BINARY_DIR") + QStringLiteral("/vorlan"), {});
    QVERIFY(program.waitForStarted());
    const bool reached = proxy.waitForRequests(1, 15000);
    program.terminate();
    program.waitForFinished();

    QVERIFY2(reached, program.readAllStandardOutput().constData());
    const TestHttpServer::Request request = proxy.requests().first();
    QCOMPARE(request.method, QByteArray("POST"));
    QVERIFY2(request.target.startsWith("http://vorlan-site.invalid/vorlan/get.php"),
             request.target.constData());
}

QTEST_GUILESS_MAIN(TestSystemProxy)
#include "tst_systemproxy.moc"
