#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>

// Answers the modal message boxes a test provokes, after a delay, and remembers them.
class MessageBoxWatcher : public QObject {
public:
    struct Box {
        QMessageBox::Icon icon;
        QString title;
        QString text;
        Qt::TextFormat format;
        QStringList buttons;
        QString informativeText;
        Qt::TextFormat informativeFormat;
    };

    explicit MessageBoxWatcher(int answerAfterMs = 50)
        : answerAfterMs(answerAfterMs) {
        connect(&timer, &QTimer::timeout, this, &MessageBoxWatcher::look);
        timer.start(10);
    }

    QList<Box> boxes;
    int openNow = 0;
    int mostOpenAtOnce = 0;

private:
    void look() {
        int open = 0;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(widget);
            if (!box || !box->isVisible()) {
                continue;
            }
            ++open;
            if (!box->property("seen").toBool()) {
                box->setProperty("seen", true);
                QStringList buttons;
                for (const QAbstractButton* button : box->buttons()) {
                    buttons << button->text();
                }
                const auto* informative =
                    box->findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel"));
                boxes.append({box->icon(), box->windowTitle(), box->text(), box->textFormat(),
                              buttons, box->informativeText(),
                              informative ? informative->textFormat() : Qt::AutoText});
                QTimer::singleShot(answerAfterMs, box, &QMessageBox::accept);
            }
        }
        openNow = open;
        mostOpenAtOnce = qMax(mostOpenAtOnce, open);
    }

    QTimer timer;
    int answerAfterMs;
};
