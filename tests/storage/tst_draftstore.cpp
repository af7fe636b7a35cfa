#include "storage/draftstore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

// Drafts belong to one registration, keep any identifier, and go once their call is long gone.
class TestDraftStore : public QObject {
    Q_OBJECT

private slots:
    void drafts_belongToTheirRegistration();
    void drafts_keepAnyIdentifierUnderAShortName();
    void noteListed_dropsDraftsUnlistedForAWeek();
};

void TestDraftStore::drafts_belongToTheirRegistration() {
    QTemporaryDir dir;
    // A draft kept before drafts had an owner, named after call "1" in hex.
    QFile unowned(dir.filePath(QStringLiteral("call-31.txt")));
    QVERIFY(unowned.open(QIODevice::WriteOnly) && unowned.write("kept before") > 0);
    unowned.close();

    DraftStore old(dir.path());
    old.setRegistration(QStringLiteral("http://old.example"), QStringLiteral("{op-1}"));
    QCOMPARE(old.text(QStringLiteral("1")), QStringLiteral("kept before"));

    DraftStore renewed(dir.path());
    renewed.setRegistration(QStringLiteral("http://new.example"), QStringLiteral("{op-2}"));
    QVERIFY(!renewed.has(QStringLiteral("1")));
    QVERIFY(renewed.keep(QStringLiteral("1"), QStringLiteral("new site's result")));
    QCOMPARE(old.text(QStringLiteral("1")), QStringLiteral("kept before"));
}

void TestDraftStore::drafts_keepAnyIdentifierUnderAShortName() {
    QTemporaryDir dir;
    DraftStore drafts(dir.path());
    drafts.setRegistration(QStringLiteral("http://site"), QStringLiteral("{op}"));
    for (const QString& id : {QString(130, QLatin1Char('7')), QStringLiteral("../../etc/passwd"),
                              QStringLiteral("Звонок/№1\n")}) {
        QVERIFY2(drafts.keep(id, QStringLiteral("typed")), qPrintable(id));
        QCOMPARE(drafts.text(id), QStringLiteral("typed"));
        QCOMPARE(QFileInfo(drafts.pathFor(id)).absolutePath(), QDir(dir.path()).absolutePath());
        QVERIFY(QFileInfo(drafts.pathFor(id)).fileName().size() <= 64);
    }
}

void TestDraftStore::noteListed_dropsDraftsUnlistedForAWeek() {
    QTemporaryDir dir;
    DraftStore drafts(dir.path());
    drafts.setRegistration(QStringLiteral("http://site"), QStringLiteral("{op}"));
    const QDateTime now = QDateTime::currentDateTime();
    const QDateTime eightDaysAgo = now.addDays(-8);
    for (const QString& id :
         {QStringLiteral("listed"), QStringLiteral("gone"), QStringLiteral("recent")}) {
        QVERIFY(drafts.keep(id, QStringLiteral("typed")));
        QFile file(drafts.pathFor(id));
        QVERIFY(file.open(QIODevice::Append));
        QVERIFY(file.setFileTime(id == QLatin1String("recent") ? now.addDays(-6) : eightDaysAgo,
                                 QFileDevice::FileModificationTime));
    }
    drafts.noteListed({QStringLiteral("listed"), QStringLiteral("other")}, now);
    QVERIFY(drafts.has(QStringLiteral("listed")));
    QVERIFY(drafts.has(QStringLiteral("recent")));
    QVERIFY(!drafts.has(QStringLiteral("gone")));
    // Listed again, its week starts over.
    drafts.noteListed({}, now.addDays(5));
    QVERIFY(drafts.has(QStringLiteral("listed")));
}

QTEST_GUILESS_MAIN(TestDraftStore)
#include "tst_draftstore.moc"
