#include "core/translators.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>

Translators::~Translators() {
    QCoreApplication::removeTranslator(&own);
    QCoreApplication::removeTranslator(&qt);
}

void Translators::install(const QLocale& locale) {
    if (qt.load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                QLibraryInfo::location(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(&qt);
    }
    // Null delimiters and suffix, so Qt's fallback search from Vorlan_ru_RU.qm down to
    // Vorlan.qm applies; without a match the English source texts stay.
    own.load(QStringLiteral("Vorlan_") + locale.name(), QStringLiteral(":/translations/"),
             QString(), QString());
    QCoreApplication::installTranslator(&own);
}
