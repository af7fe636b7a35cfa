#pragma once

#include "core/calltable.h"

#include <QObject>
#include <QPointer>
#include <QVariant>
#include <QWindow>

#include <optional>

// The main-window document as the controller drives it: through the functions its contract
// names, called by name, where a call that cannot be made has no effect. At the operator's
// request the window takes the keyboard; brought up by a poll it only asks for attention.
class MainWindowDriver final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY(MainWindowDriver)

public:
    explicit MainWindowDriver(QObject* parent = nullptr);

    // Calls `function` of `target` with one argument or none; `result` takes what it returns.
    static void invoke(QObject* target, const char* function, QVariant& result,
                       const std::optional<QVariant>& argument = std::nullopt);

    void attach(QObject* root);
    QString text(const char* function) const;
    bool isShown() const;
    void hide();
    // Shows the window if hidden and brings it to the front with the keyboard.
    void bringForward();
    // The tray icon's click: hides a window the operator has, gives one a poll brought up, or
    // a hidden one, the keyboard.
    void toggle();
    // Shows and raises the window without the keyboard, and asks for attention.
    void bringUpQuietly();
    void showConversationDialog(const QJsonObject& call);
    // While a dialog sends a result, another dialog asked for waits until the send is over:
    // replacing the sending dialog would destroy it under its own handler.
    void setSending(bool sending);
    // Empties the document's caller list and refills it with the table, in key order.
    void redrawList(const CallTable& calls);

signals:
    // The operator closed the window (the document decides what a close does).
    void closedByOperator();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void call(const char* function) const;

    QPointer<QObject> root;
    QPointer<QWindow> window;
    // A poll brought the window up without the keyboard, and the operator has not come to it yet.
    bool attentionAsked = false;
    bool sending = false;
    QVariant dialogAfterSend;
};
