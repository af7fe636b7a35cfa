#include "storage/csvtext.h"

#include <QtTest>

// Each cell as RFC 4180 and a spreadsheet's formula rules want it: quoted when it must be, and
// never run as a formula.
class TestCsvText : public QObject {
    Q_OBJECT

private slots:
    void cell_data();
    void cell();
    void document_hasBomAndCrlfLines();
};

void TestCsvText::cell_data() {
    QTest::addColumn<QString>("cell");
    QTest::addColumn<QByteArray>("written");
    QTest::newRow("plain") << "Anna Petrova" << QByteArray("Anna Petrova");
    QTest::newRow("comma") << "booked, Friday" << QByteArray("\"booked, Friday\"");
    QTest::newRow("quotes doubled") << "say \"yes\"" << QByteArray("\"say \"\"yes\"\"\"");
    QTest::newRow("line break") << "one\r\ntwo" << QByteArray("\"one\r\ntwo\"");
    QTest::newRow("formula") << "=HYPERLINK(\"http://x\",\"y\")"
                             << QByteArray("\"'=HYPERLINK(\"\"http://x\"\",\"\"y\"\")\"");
    QTest::newRow("plus") << "+7 900 555 0100" << QByteArray("'+7 900 555 0100");
    QTest::newRow("minus") << "-2+3" << QByteArray("'-2+3");
    QTest::newRow("at") << "@SUM(A1)" << QByteArray("'@SUM(A1)");
    QTest::newRow("tab") << "\t=1" << QByteArray("'\t=1");
    QTest::newRow("formula sign later") << "a=b" << QByteArray("a=b");
    QTest::newRow("empty") << "" << QByteArray("");
    QTest::newRow("Cyrillic") << "Перезвонить" << QString::fromUtf8("Перезвонить").toUtf8();
}

void TestCsvText::cell() {
    QFETCH(QString, cell);
    QFETCH(QByteArray, written);
    QCOMPARE(CsvText::document({{cell, QStringLiteral("x")}}),
             QByteArray("\xEF\xBB\xBF") + written + ",x\r\n");
}

void TestCsvText::document_hasBomAndCrlfLines() {
    QCOMPARE(CsvText::document({{QStringLiteral("a"), QStringLiteral("b")}, {QStringLiteral("c")}}),
             QByteArray("\xEF\xBB\xBF"
                        "a,b\r\nc\r\n"));
}

QTEST_GUILESS_MAIN(TestCsvText)
#include "tst_csvtext.moc"
