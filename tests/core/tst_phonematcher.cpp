#include "core/phonematcher.h"

#include <QtTest>

// "The same number" as the phone number library's match rules decide it, numbers without a
// country code read as dialled in the workplace's region.
class TestPhoneMatcher : public QObject {
    Q_OBJECT

private slots:
    void same_data();
    void same();
};

void TestPhoneMatcher::same_data() {
    QTest::addColumn<QString>("region");
    QTest::addColumn<QString>("left");
    QTest::addColumn<QString>("right");
    QTest::addColumn<bool>("same");
    QTest::newRow("international and national form") << "RU"
                                                     << "+7 (900) 555-01-00"
                                                     << "8 900 555 0100" << true;
    QTest::newRow("digits only") << "RU"
                                 << "89005550100"
                                 << "+79005550100" << true;
    QTest::newRow("another subscriber") << "RU"
                                        << "+7 900 555 0100"
                                        << "+7 900 555 0101" << false;
    QTest::newRow("short local against foreign") << "RU"
                                                 << "555-01-00"
                                                 << "+44 20 555 0100" << false;
    QTest::newRow("same digits, other country") << "RU"
                                                << "+7 900 555 0100"
                                                << "+380 900 555 0100" << false;
    QTest::newRow("ending alike is not the same") << "RU"
                                                  << "5550100"
                                                  << "+7 900 555 0100" << false;
    QTest::newRow("region read from the number") << "DE"
                                                 << "030 1234567"
                                                 << "+49 30 1234567" << true;
    QTest::newRow("region decides a national number") << "DE"
                                                      << "8 900 555 0100"
                                                      << "+7 900 555 0100" << false;
    QTest::newRow("no number: same text only") << "RU"
                                               << "ask at reception"
                                               << " ask at reception " << true;
    QTest::newRow("no number against a number") << "RU"
                                                << "ask"
                                                << "+7 900 555 0100" << false;
}

void TestPhoneMatcher::same() {
    QFETCH(QString, region);
    QFETCH(QString, left);
    QFETCH(QString, right);
    QFETCH(bool, same);
    const PhoneMatcher matcher(region);
    QCOMPARE(matcher.same(left, right), same);
    QCOMPARE(matcher.same(right, left), same);
    // The index key never keeps apart what is the same number.
    if (same) {
        QCOMPARE(matcher.key(left), matcher.key(right));
    }
}

QTEST_GUILESS_MAIN(TestPhoneMatcher)
#include "tst_phonematcher.moc"
