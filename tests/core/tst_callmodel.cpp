#include "core/callmodel.h"
#include "core/sortedcalls.h"

#include <QAbstractItemModelTester>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSignalSpy>
#include <QtTest>

namespace {

// A table as the poll leaves it after the site listed `json`.
CallTable tableFrom(const QByteArray& json, CallTable calls = {}) {
    CallRecords::merge(calls, QJsonDocument::fromJson(json).array());
    return calls;
}

QStringList column(const QAbstractItemModel& model, int role) {
    QStringList values;
    for (int row = 0; row < model.rowCount(); ++row) {
        values << model.index(row, 0).data(role).toString();
    }
    return values;
}

} // namespace

// The call table as views see it: the working order, and updates that are row by row.
class TestCallModel : public QObject {
    Q_OBJECT

private slots:
    void workingOrder_data();
    void workingOrder();
    void sync_followsTableRowByRow();
    void waits_countWholeMinutesAndRefreshOncePerMinute();
};

void TestCallModel::workingOrder_data() {
    QTest::addColumn<QByteArray>("list");
    QTest::addColumn<QStringList>("order");
    QTest::newRow("oldest first, not text order of ids")
        << QByteArray(R"([{"id":"10","create_date":"2026-12-08 09:30:00"},
                          {"id":"100","create_date":"2026-12-07 23:59:59"},
                          {"id":"2","create_date":"2026-12-08 09:00:00"}])")
        << QStringList{"100", "2", "10"};
    QTest::newRow("same arrival by numeric id")
        << QByteArray(R"([{"id":"100","create_date":"2026-12-08 09:00:00"},
                          {"id":"9","create_date":"2026-12-08 09:00:00"},
                          {"id":"10","create_date":"2026-12-08 09:00:00"}])")
        << QStringList{"9", "10", "100"};
    QTest::newRow("unreadable dates last, by id")
        << QByteArray(R"([{"id":"1","create_date":"yesterday"},
                          {"id":"2"},
                          {"id":"3","create_date":"2026-02-30 10:00:00"},
                          {"id":"4","create_date":"2026-12-08 25:00:00"},
                          {"id":"5","create_date":"2026-12-08 10:00:00"},
                          {"id":"6","create_date":"2026-12-08 10:00:00 PM"}])")
        << QStringList{"5", "1", "2", "3", "4", "6"};
    QTest::newRow("minutes without seconds, ISO separator, blanks around")
        << QByteArray(R"([{"id":"1","create_date":"2026-12-08 10:01"},
                          {"id":"2","create_date":"2026-12-08T10:00:30"},
                          {"id":"3","create_date":" 2026-12-08 10:00:59 "}])")
        << QStringList{"2", "3", "1"};
    QTest::newRow("minutes without seconds among readable dates")
        << QByteArray(R"([{"id":"1","create_date":"2026-12-08 10:15:30"},
                          {"id":"2","create_date":"2026-12-08 10:15"}])")
        << QStringList{"2", "1"};
    QTest::newRow("ids that are not numbers after numeric ones")
        << QByteArray(R"([{"id":"b","create_date":"2026-12-08 10:00:00"},
                          {"id":"a","create_date":"2026-12-08 10:00:00"},
                          {"id":"7","create_date":"2026-12-08 10:00:00"}])")
        << QStringList{"7", "a", "b"};
}

void TestCallModel::workingOrder() {
    QFETCH(QByteArray, list);
    QFETCH(QStringList, order);
    CallModel model;
    SortedCalls sorted(&model);
    QAbstractItemModelTester tester(&sorted,
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.sync(tableFrom(list));
    QCOMPARE(column(sorted, CallModel::CallIDRole), order);
    for (int row = 0; row < order.size(); ++row) {
        QCOMPARE(sorted.callID(row), order.at(row));
    }
    QCOMPARE(sorted.callID(order.size()), QString());
}

void TestCallModel::sync_followsTableRowByRow() {
    CallModel model;
    SortedCalls sorted(&model);
    QAbstractItemModelTester sourceTester(&model,
                                          QAbstractItemModelTester::FailureReportingMode::QtTest);
    QAbstractItemModelTester tester(&sorted,
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);
    const auto call = [](int id, const char* status) {
        return QStringLiteral(R"({"id":"%1","create_date":"2026-12-08 09:%2:00","name":"N%1",)"
                              R"("phone":"+7 %1","status":"%3"})")
            .arg(id)
            .arg(60 - id, 2, 10, QLatin1Char('0'))
            .arg(QLatin1String(status));
    };
    const auto list = [](const QStringList& calls) {
        return QString(QLatin1Char('[') + calls.join(QLatin1Char(',')) + QLatin1Char(']')).toUtf8();
    };
    CallTable calls = tableFrom(
        list({call(1, "new"), call(2, "new"), call(3, "new"), call(4, "new"), call(5, "new")}));
    QSignalSpy counts(&sorted, &SortedCalls::countChanged);
    model.sync(calls);
    QCOMPARE(sorted.count(), 5);
    QCOMPARE(counts.count(), 1);
    // The later the id, the earlier the call arrived.
    QCOMPARE(column(sorted, CallModel::CallIDRole), (QStringList{"5", "4", "3", "2", "1"}));
    QCOMPARE(model.index(0).data(CallModel::CreationDateRole).toString(),
             QStringLiteral("2026-12-08   09:59:00"));
    QCOMPARE(model.index(0).data(CallModel::ArrivalRole).toDateTime(),
             QDateTime(QDate(2026, 12, 8), QTime(9, 59)));

    QSignalSpy resets(&sorted, &QAbstractItemModel::modelReset);
    QSignalSpy layouts(&sorted, &QAbstractItemModel::layoutChanged);
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);

    // The same list again changes nothing.
    calls = tableFrom(
        list({call(1, "new"), call(2, "new"), call(3, "new"), call(4, "new"), call(5, "new")}),
        calls);
    model.sync(calls);
    QCOMPARE(removed.count() + inserted.count() + changed.count(), 0);

    // 2 and 3 leave together, 6 arrives, 4 changes status, 1 is listed with another name.
    calls = tableFrom(list({call(1, "new").replace(QLatin1String("N1"), QLatin1String("X")),
                            call(4, "processing"), call(5, "new"), call(6, "new")}),
                      calls);
    model.sync(calls);
    QCOMPARE(removed.count(), 1);
    QCOMPARE(removed.first().at(1).toInt(), 1);
    QCOMPARE(removed.first().at(2).toInt(), 2);
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(inserted.first().at(1).toInt(), 3);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.first().at(0).toModelIndex().row(), 1);
    QCOMPARE(changed.first().at(2).value<QVector<int>>(), QVector<int>{CallModel::StatusRole});
    QCOMPARE(resets.count(), 0);
    QCOMPARE(layouts.count(), 0);
    QCOMPARE(counts.count(), 2);
    QCOMPARE(column(sorted, CallModel::CallIDRole), (QStringList{"6", "5", "4", "1"}));
    QCOMPARE(column(sorted, CallModel::StatusRole),
             (QStringList{"new", "new", "processing", "new"}));
    QCOMPARE(column(sorted, CallModel::NameRole), (QStringList{"N6", "N5", "N4", "N1"}));
    QVERIFY(sorted.contains(QStringLiteral("4")));
    QVERIFY(!sorted.contains(QStringLiteral("3")));

    model.sync({});
    QCOMPARE(sorted.count(), 0);
    QCOMPARE(resets.count(), 0);
}

void TestCallModel::waits_countWholeMinutesAndRefreshOncePerMinute() {
    CallModel model;
    model.refreshWaits(QDateTime(QDate(2026, 12, 8), QTime(10, 0, 30)));
    model.sync(tableFrom(R"([{"id":"1","create_date":"2026-12-08 09:58:45"},
                             {"id":"2","create_date":"2026-12-08 10:05:00"},
                             {"id":"3","create_date":"soon"},
                             {"id":"4","create_date":"2026-12-07 10:00:00"}])"));
    const auto waits = [&model] {
        return column(model, CallModel::MinutesWaitedRole);
    };
    // Clock readings, not elapsed seconds: 9:58 to 10:00 is two minutes; an arrival ahead of
    // the clock has waited none.
    QCOMPARE(waits(), (QStringList{"2", "0", "-1", "1440"}));

    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    model.refreshWaits(QDateTime(QDate(2026, 12, 8), QTime(10, 0, 59)));
    QCOMPARE(changed.count(), 0);
    model.refreshWaits(QDateTime(QDate(2026, 12, 8), QTime(10, 7, 1)));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.first().at(2).value<QVector<int>>(),
             QVector<int>{CallModel::MinutesWaitedRole});
    QCOMPARE(waits(), (QStringList{"9", "2", "-1", "1447"}));
}

QTEST_GUILESS_MAIN(TestCallModel)
#include "tst_callmodel.moc"
