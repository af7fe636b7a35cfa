#include "gui/messageboxes.h"

#include <QAbstractButton>
#include <QObject>

namespace MessageBoxes {

void show(QMessageBox::Icon icon, const QString& title, const QString& text) {
    QMessageBox box(icon, title, text, QMessageBox::Ok, nullptr);
    box.setTextFormat(Qt::PlainText);
    box.button(QMessageBox::Ok)->setText(QObject::tr("OK"));
    box.exec();
}

} // namespace MessageBoxes
