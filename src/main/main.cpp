#include "core/mainwindowdocument.h"
#include "core/singleinstance.h"
#include "core/translators.h"
#include "gui/desktopcolourscheme.h"
#include "gui/gui.h"
#include "gui/pictures.h"
#include "net/qstdout.h"
#include "storage/owneronly.h"
#include "storage/workplace.h"
#include "storage/xhelper.h"

#include <QApplication>
#include <QFile>
#include <QLocale>
#include <QNetworkProxyFactory>
#include <QPointer>
#include <QQuickWindow>
#include <QSystemTrayIcon>
#include <QTextCodec>
#include <QUrl>

namespace {

// Long enough for an instance that restarts after a registration to end and free the lock.
constexpr int instanceWaitMs = 10000;

// The first document that exists and may be trusted. The program's directory comes from the
// running executable: started from a menu entry, argv[0] is the bare name found on PATH.
QString mainWindowDocumentPath(XHelper& helper) {
    return MainWindowDocument::locate(
        helper.homeDir(), QCoreApplication::applicationDirPath(),
        [&helper](const QString& path) { return helper.distrust(path); });
}

QByteArray readMainWindowDocument(XHelper& helper) {
    const QString path = mainWindowDocumentPath(helper);
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        qStdOut() << "No main-window document found; looked for "
                  << MainWindowDocument::candidates(helper.homeDir(),
                                                    QCoreApplication::applicationDirPath())
                         .join(QStringLiteral(", "))
                  << Qt::endl;
        return QByteArray();
    }
    return file.readAll();
}

// The registration form, the one window of an unregistered workstation.
void showFirstWindow(QObject* form) {
    if (auto* window = qobject_cast<QQuickWindow*>(form)) {
        window->show();
        window->raise();
        window->requestActivate();
    }
}

// The working start of a registered workplace: the main window, the tray, and the answer to
// later starts.
void startMainWindow(GUI* gui, XHelper& helper, SingleInstance& instance,
                     const Workplace& workplace) {
    const bool trayAvailable = QSystemTrayIcon::isSystemTrayAvailable();
    if (!trayAvailable) {
        qStdOut() << "No system tray found; closing the main window minimises it" << Qt::endl;
    }
    QGuiApplication::setQuitOnLastWindowClosed(false);
    // Connected first: the first poll inside the start already serves later starts.
    QObject::connect(&instance, &SingleInstance::showRequested, gui, &GUI::raiseWindow);
    gui->start(readMainWindowDocument(helper),
               {{QStringLiteral("workplace"), workplace.contextObject()},
                {QStringLiteral("systemTrayAvailable"), trayAvailable}});
}

} // namespace

int main(int argc, char* argv[]) {
    QTextCodec::setCodecForLocale(QTextCodec::codecForName("UTF-8"));
    // The program's widgets (message boxes, the tray's balloon and menu) are plain raster
    // windows; without this the first of them loads the OpenGL driver for the rest of the run.
    QCoreApplication::setAttribute(Qt::AA_ForceRasterWidgets);
    QApplication app(argc, argv);
    QApplication::setApplicationVersion(QStringLiteral(VORLAN_VERSION));
    QApplication::setWindowIcon(Pictures::icon(QStringLiteral("icon")));
    QGuiApplication::setDesktopFileName(QStringLiteral(VORLAN_APP_ID));

    Translators translators;
    translators.install(QLocale::system());

    XHelper helper;
    SingleInstance instance(helper.homeDir());
    switch (instance.claim(instanceWaitMs)) {
    case SingleInstance::Claim::Notified:
        qStdOut() << "Vorlan is already running for this user; its window is brought to the front"
                  << Qt::endl;
        return 0;
    case SingleInstance::Claim::Busy:
        qStdOut() << "Vorlan is already running for this user: a process holds "
                  << instance.lockPath() << Qt::endl;
        return 0;
    case SingleInstance::Claim::Refused:
        qStdOut() << "Vorlan cannot start: " << instance.refusal() << Qt::endl;
        return 1;
    case SingleInstance::Claim::Acquired:
        break;
    }
    QNetworkProxyFactory::setUseSystemConfiguration(true);
    DesktopColourScheme colourScheme;

    GUI* gui = new GUI();
    // argv[0] is whatever the starter chose (exec -a, a bare name found on PATH).
    gui->setProgramPath(QCoreApplication::applicationFilePath());
    // The program's one option of its own: the autostart entry starts it in the tray.
    gui->setStartInTray(QCoreApplication::arguments().contains(QStringLiteral("--tray")));

    // As ssh does with its own files: a registration others could have planted is not read.
    const QString confDistrust = helper.distrust(helper.confPath());
    if (!confDistrust.isEmpty()) {
        OwnerOnly::reportDistrusted(helper.confPath(), confDistrust);
    }
    const Workplace workplace = Workplace::load(helper);
    if (!workplace.isRegistered()) {
        if (workplace.isConfUnreadable()) {
            qStdOut() << helper.confPath()
                      << " holds no readable registration; it is kept until a new one succeeds"
                      << Qt::endl;
        }
        const QPointer<QObject> form = gui->startRegistration();
        QObject::connect(&instance, &SingleInstance::showRequested, gui,
                         [form] { showFirstWindow(form); });
        // The registration is stored, but no new process took over: this one goes on as it.
        QObject::connect(gui, &GUI::registeredWithoutRestart, gui, [gui, &helper, &instance, form] {
            QObject::disconnect(&instance, &SingleInstance::showRequested, gui, nullptr);
            delete form.data();
            startMainWindow(gui, helper, instance, Workplace::load(helper));
        });
        return QApplication::exec();
    }

    startMainWindow(gui, helper, instance, workplace);
    return QApplication::exec();
}
