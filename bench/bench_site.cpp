#include "benchdata.h"
#include "testhttpserver.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QTextStream>

// A site for runs of the real program: "get.php" lists the number of pending calls given as
// the one argument. It prints its address, then the wall-clock time of every poll it answers.
int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 0;

    TestHttpServer site;
    if (!site.listen()) {
        return 1;
    }
    site.route("/vorlan/get.php", TestHttpServer::Response::json(BenchData::siteList(count)));

    QTextStream out(stdout);
    out << "url " << site.baseUrl() << Qt::endl;
    QObject::connect(&site, &TestHttpServer::requestReceived, &site,
                     [&out] { out << "poll " << QDateTime::currentMSecsSinceEpoch() << Qt::endl; });
    return QCoreApplication::exec();
}
