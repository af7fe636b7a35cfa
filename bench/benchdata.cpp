#include "benchdata.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

namespace BenchData {

QByteArray siteList(int count, int variant) {
    QJsonArray list;
    for (int i = 0; i < count; ++i) {
        const QString id = QStringLiteral("%1").arg(i, 6, 10, QLatin1Char('0'));
        const bool first = i == 0;
        list.append(QJsonObject{
            {QStringLiteral("id"), id},
            {QStringLiteral("create_date"),
             QStringLiteral("2026-12-08 09:%1:00").arg(i % 60, 2, 10, QLatin1Char('0'))},
            {QStringLiteral("name"), QString(QStringLiteral("Caller ") + id)},
            {QStringLiteral("phone"), QStringLiteral("+7 900 %1").arg(i, 7, 10, QLatin1Char('0'))},
            {QStringLiteral("status"),
             first && variant % 2 ? QStringLiteral("seen") : QStringLiteral("new")}});
    }
    return QJsonDocument(list).toJson(QJsonDocument::Compact);
}

} // namespace BenchData
