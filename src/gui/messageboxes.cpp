#include "gui/messageboxes.h"

#include <QAbstractButton>
#include <QLabel>
#include <QObject>

namespace MessageBoxes {

void show(QMessageBox::Icon icon, const QString& title, const QString& text,
          const QString& informative) {
    QMessageBox box(icon, title, text, QMessageBox::Ok, nullptr);
    box.setTextFormat(Qt::PlainText);
    if (!informative.isEmpty()) {
        box.setInformativeText(informative);
        // Qt gives the informative label no format of its own; it would read markup.
        if (auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel"))) {
            label->setTextFormat(Qt::PlainText);
        }
    }
    box.button(QMessageBox::Ok)->setText(QObject::tr("OK"));
    box.exec();
}

bool confirmQuitWithUnsentResult() {
    return QMessageBox::question(
               nullptr, QObject::tr("Unsent result"),
               QObject::tr("A conversation holds a result that the site has not confirmed yet. "
                           "It is kept and comes back when the conversation is opened again. "
                           "Quit anyway?"),
               QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}

bool confirmForgetHistory() {
    return QMessageBox::question(nullptr, QObject::tr("Forget history"),
                                 QObject::tr("Erase the history of this workplace's closed calls "
                                             "from this computer? The site keeps its own record."),
                                 QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

} // namespace MessageBoxes
