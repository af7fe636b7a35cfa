#include "core/sitestatus.h"
#include "core/translators.h"
#include "gui/gui.h"
#include "gui/traypresenter.h"
#include "testhttpserver.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>

#include <memory>

using Response = TestHttpServer::Response;

// Qt's own translation of its standard buttons, installed beside ours. Runs under ru_RU.
class TestTranslators : public QObject {
    Q_OBJECT

private slots:
    void standardButtonsFollowLocale_data();
    void standardButtonsFollowLocale();
    void serverErrorBoxIsRussian();
    void siteStateIsRussian();
};

void TestTranslators::standardButtonsFollowLocale_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("text");
    QTest::newRow("system ru_RU, Cancel")
        << QLocale::system() << int(QMessageBox::Cancel) << QStringLiteral("Отмена");
    QTest::newRow("system ru_RU, Yes")
        << QLocale::system() << int(QMessageBox::Yes) << QStringLiteral("&Да");
    // Qt's Russian translators kept the Latin "OK".
    QTest::newRow("system ru_RU, OK")
        << QLocale::system() << int(QMessageBox::Ok) << QStringLiteral("OK");
    QTest::newRow("ru_UA falls back to Russian")
        << QLocale(QStringLiteral("ru_UA")) << int(QMessageBox::Close) << QStringLiteral("Закрыть");
    QTest::newRow("en_US stays English")
        << QLocale(QStringLiteral("en_US")) << int(QMessageBox::Cancel) << QStringLiteral("Cancel");
}

void TestTranslators::standardButtonsFollowLocale() {
    QFETCH(QLocale, locale);
    QFETCH(int, button);
    QFETCH(QString, text);
    Translators translators;
    translators.install(locale);
    QMessageBox box;
    box.setStandardButtons(QMessageBox::StandardButton(button));
    QCOMPARE(box.button(QMessageBox::StandardButton(button))->text(), text);
}

void TestTranslators::serverErrorBoxIsRussian() {
    Translators translators;
    translators.install(QLocale::system());
    TestHttpServer site;
    QVERIFY(site.listen());
    site.route("/vorlan/get.php", Response::json(R"({"result":"1","descr":"Сайт закрыт"})"));

    QString title, text, okText;
    QTimer watcher;
    connect(&watcher, &QTimer::timeout, [&] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(widget);
            if (box && box->isVisible()) {
                title = box->windowTitle();
                text = box->text();
                okText = box->button(QMessageBox::Ok) ? box->button(QMessageBox::Ok)->text()
                                                      : QStringLiteral("no OK button");
                box->accept();
            }
        }
    });
    watcher.start(20);

    auto controller = std::make_unique<GUI>();
    controller->start("import QtQuick 2.0\nItem {\n"
                      "function getServer() { return \"" +
                      site.baseUrl().toUtf8() +
                      "\" }\n"
                      "function getOperatorID() { return \"{op-ru}\" }\n}\n");

    QCOMPARE(title, QStringLiteral("Ошибка сервера"));
    QCOMPARE(text, QStringLiteral("Сайт закрыт"));
    // Qt's own Russian leaves its button Latin; the program's boxes carry their own.
    QCOMPARE(okText, QStringLiteral("ОК"));
}

void TestTranslators::siteStateIsRussian() {
    Translators translators;
    translators.install(QLocale::system());
    SiteStatus status;
    SiteApi::Reply reply;
    reply.httpStatus = 503;
    status.actionUnreachable(SiteStatus::Action::Close, reply);
    QVERIFY2(status.summary().startsWith(QStringLiteral("Сайт недоступен с ")),
             qPrintable(status.summary()));
    QVERIFY(status.summary().endsWith(QStringLiteral(": HTTP-статус 503")));
    QCOMPARE(
        status.notice(),
        QStringLiteral("Не удалось связаться с сайтом (HTTP-статус 503). Попробуйте ещё раз."));
    QCOMPARE(TrayPresenter::toolTip(QStringLiteral("http://a"), 2, status),
             QStringLiteral("Vorlan - http://a\nОжидающих заявок: 2\n") + status.state());
    status.channelDown();
    QVERIFY2(status.delivery().startsWith(QStringLiteral("Мгновенная доставка не работает с ")),
             qPrintable(status.delivery()));
    status.channelLive();
    QCOMPARE(status.delivery(), QStringLiteral("Изменения приходят мгновенно"));
}

QTEST_MAIN(TestTranslators)
#include "tst_translators.moc"
