#include "gui/calltable.h"

#include <QSet>

namespace CallRecords {
namespace {
const QString idKey = QStringLiteral("id");
const QString statusKey = QStringLiteral("status");

QString member(const QJsonObject& element, const QString& key) {
    return element.value(key).toString();
}

// The site writes "date time"; the list shows the two parts further apart.
QString spacedDate(QString date) {
    return date.replace(QLatin1Char(' '), QLatin1String("   "));
}
} // namespace

QJsonObject fromSiteElement(const QJsonObject& element) {
    return {{QStringLiteral("callID"), member(element, idKey)},
            {QStringLiteral("cr_date"), spacedDate(member(element, QStringLiteral("create_date")))},
            {QStringLiteral("name"), member(element, QStringLiteral("name"))},
            {QStringLiteral("phone"), member(element, QStringLiteral("phone"))},
            {statusKey, member(element, statusKey)}};
}

void merge(CallTable& calls, const QJsonArray& list) {
    QSet<QString> seen;
    seen.reserve(list.size());
    for (const QJsonValue& value : list) {
        const QJsonObject element = value.toObject();
        const QString id = member(element, idKey);
        seen.insert(id);
        const auto known = calls.find(id);
        if (known == calls.end()) {
            calls.insert(id, fromSiteElement(element));
            continue;
        }
        const QString status = member(element, statusKey);
        if (known->value(statusKey).toString() != status) {
            known->insert(statusKey, status);
        }
    }
    for (auto it = calls.begin(); it != calls.end();) {
        it = seen.contains(it.key()) ? std::next(it) : calls.erase(it);
    }
}

QJsonObject unknown(const QString& id) {
    return fromSiteElement({{idKey, id}});
}

} // namespace CallRecords
