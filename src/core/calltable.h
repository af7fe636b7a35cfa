#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QMap>
#include <QString>

// The call table: call records keyed by call identifier, in text order.
using CallTable = QMap<QString, QJsonObject>;

namespace CallRecords {

// The members of a call record, as the documents read them.
inline const QString idKey = QStringLiteral("callID");
inline const QString dateKey = QStringLiteral("cr_date");
inline const QString nameKey = QStringLiteral("name");
inline const QString phoneKey = QStringLiteral("phone");
inline const QString statusKey = QStringLiteral("status");

// A new call record made from one element of the site's list.
QJsonObject fromSiteElement(const QJsonObject& element);

// Brings `calls` in step with the site's list: new calls are added, known ones take the
// listed "status" (and nothing else), calls the list no longer holds are removed.
void merge(CallTable& calls, const QJsonArray& list);

// The record handed over for an identifier whose call is not known: nothing but its id.
QJsonObject unknown(const QString& id);

} // namespace CallRecords
