#include "gui/mainwindowdriver.h"

#include "gui/windowplace.h"

#include <QEvent>
#include <QJsonObject>

#include <utility>

MainWindowDriver::MainWindowDriver(QObject* parent)
    : QObject(parent) {}

void MainWindowDriver::invoke(QObject* target, const char* function, QVariant& result,
                              const std::optional<QVariant>& argument) {
    if (!target) {
        return;
    }
    if (argument) {
        QMetaObject::invokeMethod(target, function, Qt::AutoConnection,
                                  Q_RETURN_ARG(QVariant, result), Q_ARG(QVariant, *argument));
    } else {
        QMetaObject::invokeMethod(target, function, Qt::AutoConnection,
                                  Q_RETURN_ARG(QVariant, result));
    }
}

void MainWindowDriver::attach(QObject* document) {
    root = document;
    window = qobject_cast<QWindow*>(document);
    if (window) {
        new WindowPlace(window, this);
        window->installEventFilter(this);
        connect(window, &QWindow::activeChanged, this, [this] {
            if (window->isActive()) {
                attentionAsked = false;
            }
        });
    }
}

bool MainWindowDriver::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window && event->type() == QEvent::Close) {
        emit closedByOperator();
    }
    return QObject::eventFilter(watched, event);
}

void MainWindowDriver::call(const char* function) const {
    QVariant result;
    invoke(root, function, result);
}

QString MainWindowDriver::text(const char* function) const {
    QVariant result;
    invoke(root, function, result);
    return result.toString();
}

bool MainWindowDriver::isShown() const {
    QVariant result;
    invoke(root, "isVisible", result);
    return result.toBool();
}

void MainWindowDriver::hide() {
    call("hideWindow");
}

void MainWindowDriver::bringForward() {
    if (!isShown()) {
        call("showWindow");
    }
    call("raiseWindow");
    if (window) {
        window->requestActivate();
    }
}

void MainWindowDriver::toggle() {
    const bool shown = isShown();
    if (shown && !attentionAsked) {
        call("hideWindow");
        return;
    }
    call(shown ? "raiseWindow" : "showWindow");
    if (window) {
        window->requestActivate();
    }
}

// Qt's X11 window then tells the window manager not to give it the keyboard when it maps.
void MainWindowDriver::bringUpQuietly() {
    if (!isShown()) {
        if (window) {
            window->setProperty("_q_showWithoutActivating", true);
        }
        call("showWindow");
        if (window) {
            window->setProperty("_q_showWithoutActivating", QVariant());
        }
    }
    call("raiseWindow");
    if (window && !window->isActive()) {
        attentionAsked = true;
        window->alert(0);
    }
}

void MainWindowDriver::showConversationDialog(const QJsonObject& record) {
    if (sending) {
        dialogAfterSend = QVariant(record);
        return;
    }
    QVariant result;
    invoke(root, "showCloseConversationDialog", result, QVariant(record));
}

void MainWindowDriver::setSending(bool on) {
    sending = on;
    if (!sending && dialogAfterSend.isValid()) {
        QMetaObject::invokeMethod(
            this,
            [this, record = std::exchange(dialogAfterSend, QVariant())] {
                QVariant result;
                invoke(root, "showCloseConversationDialog", result, record);
            },
            Qt::QueuedConnection);
    }
}

void MainWindowDriver::redrawList(const CallTable& calls) {
    // A list function may start an exchange whose nested poll changes the table or the
    // document: the walk goes over a copy, and a list that is gone meanwhile is left alone.
    const QPointer<QObject> list =
        root ? root->findChild<QObject*>(QStringLiteral("callerList"), Qt::FindChildrenRecursively)
             : nullptr;
    const CallTable snapshot = calls;
    QVariant result;
    invoke(list, "clearList", result);
    for (const QJsonObject& record : snapshot) {
        invoke(list, "appendElement", result, QVariant(record));
    }
}
