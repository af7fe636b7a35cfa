#pragma once

#include <QTranslator>

class QLocale;

// The user-interface translations for a locale: ours, and Qt's own for its standard buttons
// and dialogs (message boxes, file dialogs) when the system has it installed.
class Translators final {
    Q_DISABLE_COPY(Translators)

public:
    Translators() = default;
    ~Translators();

    void install(const QLocale& locale);

private:
    QTranslator qt;
    QTranslator own;
};
