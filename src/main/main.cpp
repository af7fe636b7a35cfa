#include "gui/gui.h"
#include "gui/mainwindowdocument.h"
#include "net/qstdout.h"
#include "storage/workplace.h"
#include "storage/xhelper.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QLocale>
#include <QQmlContext>
#include <QSystemTrayIcon>
#include <QTextCodec>
#include <QTranslator>
#include <QUrl>

namespace {

QByteArray readMainWindowDocument(XHelper& helper, const QString& programPath) {
    const QString path =
        MainWindowDocument::locate(helper.homeDir(), QFileInfo(programPath).absolutePath());
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        qStdOut() << "No main-window document found; looked for "
                  << MainWindowDocument::candidates(helper.homeDir(),
                                                    QFileInfo(programPath).absolutePath())
                         .join(QStringLiteral(", "))
                  << Qt::endl;
        return QByteArray();
    }
    return file.readAll();
}

} // namespace

int main(int argc, char* argv[]) {
    QTextCodec::setCodecForLocale(QTextCodec::codecForName("UTF-8"));
    QApplication app(argc, argv);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icon.png")));

    QTranslator translator;
    translator.load(QStringLiteral("Vorlan_") + QLocale::system().name(),
                    QStringLiteral(":/translations/"), QString(), QString());
    QCoreApplication::installTranslator(&translator);

    GUI* gui = new GUI();
    gui->setProgramPath(QString::fromLocal8Bit(argv[0]));

    XHelper helper;
    const Workplace workplace = Workplace::load(helper);
    QQmlApplicationEngine& engine = gui->documentEngine();
    if (!workplace.isRegistered()) {
        if (workplace.isConfUnreadable()) {
            qStdOut() << helper.confPath()
                      << " holds no readable registration; it is kept until a new one succeeds"
                      << Qt::endl;
        }
        engine.load(QUrl(QStringLiteral("qrc:/WorkplaceRegistration.qml")));
        return QApplication::exec();
    }

    engine.rootContext()->setContextProperty(QStringLiteral("workplace"),
                                             workplace.contextObject());
    const bool trayAvailable = QSystemTrayIcon::isSystemTrayAvailable();
    if (!trayAvailable) {
        qStdOut() << "No system tray found; closing the main window minimises it" << Qt::endl;
    }
    engine.rootContext()->setContextProperty(QStringLiteral("systemTrayAvailable"), trayAvailable);
    const QByteArray document = readMainWindowDocument(helper, QString::fromLocal8Bit(argv[0]));
    engine.loadData(document, QUrl());
    QGuiApplication::setQuitOnLastWindowClosed(false);
    gui->init();
    return QApplication::exec();
}
