#include "core/calltable.h"

#include "net/sitetext.h"

#include <QVector>

#include <algorithm>
#include <iterator>

namespace CallRecords {
namespace {
const QString siteIdKey = QStringLiteral("id");

QString member(const QJsonObject& element, const QString& key) {
    return element.value(key).toString();
}

// The call's identifier goes back to the site exactly as it came.
QJsonValue idMember(const QJsonObject& element) {
    const QJsonValue value = element.value(siteIdKey);
    return value.isString() ? value : QJsonValue(QString());
}

// The site writes "date time"; the list shows the two parts further apart.
QString spacedDate(QString date) {
    return date.replace(QLatin1Char(' '), QLatin1String("   "));
}

// A member as a text value, as it may be shown; a plain text is handed over as it is.
QJsonValue textMember(const QJsonObject& element, const QString& key) {
    const QJsonValue value = element.value(key);
    if (!value.isString()) {
        return QJsonValue(QString());
    }
    const QString text = value.toString();
    return SiteText::isPlain(text) ? value : QJsonValue(SiteText::shown(text));
}
} // namespace

QJsonObject fromSiteElement(const QJsonObject& element) {
    // Filling in a copy of one blank record costs a fraction of inserting five new members,
    // each of which would grow the object anew.
    static const QJsonObject blank{{idKey, QString()},
                                   {dateKey, QString()},
                                   {nameKey, QString()},
                                   {phoneKey, QString()},
                                   {statusKey, QString()}};
    QJsonObject record = blank;
    record[idKey] = idMember(element);
    record[dateKey] = spacedDate(SiteText::shown(member(element, QStringLiteral("create_date"))));
    record[nameKey] = textMember(element, nameKey);
    record[phoneKey] = textMember(element, phoneKey);
    record[statusKey] = textMember(element, statusKey);
    return record;
}

void merge(CallTable& calls, const QJsonArray& list) {
    // The listed calls in key order (a stable sort keeps duplicates in list order), walked
    // beside the table: each record is visited once, in the table's own order, so the merge
    // grows linearly instead of paying a tree search and a set entry per listed call.
    struct Listed {
        QString id;
        int position;
    };
    QVector<Listed> listed;
    listed.reserve(list.size());
    for (int i = 0; i < list.size(); ++i) {
        listed.append({member(list.at(i).toObject(), siteIdKey), i});
    }
    const auto byId = [](const Listed& a, const Listed& b) {
        return a.id < b.id;
    };
    if (!std::is_sorted(listed.cbegin(), listed.cend(), byId)) {
        std::stable_sort(listed.begin(), listed.end(), byId);
    }

    auto record = calls.begin();
    for (auto call = listed.cbegin(); call != listed.cend();) {
        const QString& id = call->id;
        const auto next = std::find_if(call, listed.cend(),
                                       [&id](const Listed& other) { return other.id != id; });
        while (record != calls.end() && record.key() < id) {
            record = calls.erase(record);
        }
        if (record == calls.end() || record.key() != id) {
            // The first element of an identifier makes the record.
            record = calls.insert(record, id, fromSiteElement(list.at(call->position).toObject()));
        }
        // The last one's status stands; a known record changes in nothing else.
        const QString status =
            SiteText::shown(member(list.at(std::prev(next)->position).toObject(), statusKey));
        if (record->value(statusKey).toString() != status) {
            record->insert(statusKey, status);
        }
        ++record;
        call = next;
    }
    while (record != calls.end()) {
        record = calls.erase(record);
    }
}

QJsonObject unknown(const QString& id) {
    return fromSiteElement({{siteIdKey, id}});
}

} // namespace CallRecords
