#include "net/qstdout.h"
#include "net/vlrequest.h"
#include "testhttpserver.h"

#include <QTemporaryFile>
#include <QTextStream>
#include <QtTest>

#include <cstdio>
#include <functional>
#include <unistd.h>

namespace {

// Runs action with file descriptor 1 pointing at a temporary file and returns what it wrote.
QByteArray standardOutputOf(const std::function<void()>& action) {
    QTemporaryFile capture;
    if (!capture.open())
        return QByteArray("<no capture file>");
    std::fflush(stdout);
    const int saved = dup(STDOUT_FILENO);
    dup2(capture.handle(), STDOUT_FILENO);
    action();
    std::fflush(stdout);
    dup2(saved, STDOUT_FILENO);
    close(saved);
    capture.seek(0);
    return capture.readAll();
}

} // namespace

class TestQStdOut : public QObject {
    Q_OBJECT

private slots:
    void qStdOut_isOneStream();
    void printReplyError_data();
    void printReplyError();
};

void TestQStdOut::qStdOut_isOneStream() {
    QCOMPARE(&qStdOut(), &qStdOut());
    const QByteArray written =
        standardOutputOf([] { qStdOut() << QStringLiteral("ъ 1") << Qt::flush; });
    QCOMPARE(written, QStringLiteral("ъ 1").toUtf8());
}

void TestQStdOut::printReplyError_data() {
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<QString>("fileName");

    QTest::newRow("HTTP 404") << QByteArray("/missing") << QString();
    QTest::newRow("non-ASCII text") << QByteArray("/f") << QStringLiteral("/нет/файла");
}

// The exchange itself writes nothing; printReplyError writes exactly the text and a newline.
void TestQStdOut::printReplyError() {
    QFETCH(QByteArray, path);
    QFETCH(QString, fileName);

    TestHttpServer server;
    QVERIFY(server.listen());
    VLRequest request(nullptr);
    request.setMethod(QStringLiteral("get"));
    const QByteArray duringExchange = standardOutputOf([&] {
        if (fileName.isEmpty())
            request.download(server.url(path));
        else
            request.download(server.url(path), fileName);
    });
    QVERIFY(!request.replyOK());
    QVERIFY(!request.replyErrorString.isEmpty());
    QCOMPARE(duringExchange, QByteArray());

    const QByteArray printed = standardOutputOf([&] { request.printReplyError(); });
    QCOMPARE(printed, request.replyErrorString.toUtf8() + '\n');
}

QTEST_MAIN(TestQStdOut)
#include "tst_qstdout.moc"
