#include "fakegui.h"

#include <QCoreApplication>
#include <QLocale>
#include <QQmlContext>
#include <QQmlEngine>
#include <QTranslator>
#include <QtQuickTest>

// Installs the packaged translation the way start-up does, chosen by the system locale, and tells
// the tests which language they should then see (VORLAN_EXPECTED_LANGUAGE: "ru" or "en").
class TranslationSetup : public QObject {
    Q_OBJECT

public slots:
    void applicationAvailable() {
        if (m_translator.load(QStringLiteral("Vorlan_") + QLocale::system().name(),
                              QStringLiteral(":/translations/")))
            QCoreApplication::installTranslator(&m_translator);
    }

    void qmlEngineAvailable(QQmlEngine* engine) {
        QQmlContext* context = engine->rootContext();
        context->setContextProperty(QStringLiteral("GUI"), &m_gui);
        context->setContextProperty(QStringLiteral("expectedLanguage"),
                                    qEnvironmentVariable("VORLAN_EXPECTED_LANGUAGE"));
        context->setContextProperty(QStringLiteral("systemLocale"), QLocale::system().name());
    }

private:
    QTranslator m_translator;
    FakeGui m_gui;
};

QUICK_TEST_MAIN_WITH_SETUP(qmltranslation, TranslationSetup)

#include "tst_qmltranslation.moc"
