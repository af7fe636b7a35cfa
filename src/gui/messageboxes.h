#pragma once

#include <QMessageBox>

class QString;

// The program's own message boxes: modal, without a parent, the text shown as plain text (it
// may come from the site), and one OK button in the operator's language. An informative text,
// if given, stands under the text, plain too.
namespace MessageBoxes {

void show(QMessageBox::Icon icon, const QString& title, const QString& text,
          const QString& informative = QString());

// Asks whether to quit although a conversation holds a result the site has not confirmed;
// No is the default.
bool confirmQuitWithUnsentResult();

// Asks whether to erase the workplace's history of closed calls; No is the default.
bool confirmForgetHistory();

} // namespace MessageBoxes
