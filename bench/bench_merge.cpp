#include "benchclock.h"
#include "benchdata.h"
#include "core/calltable.h"

#include <QJsonDocument>
#include <QtTest>

// The merge of the site's list into the call table, alone.
class BenchMerge : public QObject {
    Q_OBJECT

private slots:
    void merge_data();
    void merge();
};

void BenchMerge::merge_data() {
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("known");
    for (const int count : {1000, 10000, 100000}) {
        QTest::addRow("new_%d", count) << count << false;
        QTest::addRow("known_%d", count) << count << true;
    }
}

void BenchMerge::merge() {
    QFETCH(int, count);
    QFETCH(bool, known);
    const QJsonArray list = QJsonDocument::fromJson(BenchData::siteList(count)).array();
    QCOMPARE(list.size(), count);

    CallTable calls;
    // A first poll adds every call to an empty table; later polls meet the same calls again.
    const auto prepare = [&calls, known, &list] {
        calls.clear();
        if (known) {
            CallRecords::merge(calls, list);
        }
    };
    BenchClock::report([&calls, &list] { CallRecords::merge(calls, list); }, prepare);
    QCOMPARE(calls.size(), count);
}

QTEST_GUILESS_MAIN(BenchMerge)
#include "bench_merge.moc"
