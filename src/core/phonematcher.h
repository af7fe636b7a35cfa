#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

#include <string>

// Whether two phone numbers, as callers type them, are the same number: decided by the phone
// number library's match rules, numbers without a country code read as dialled in `region`.
class PhoneMatcher final {
public:
    // `region` is a two-letter country code; empty takes the system locale's country.
    explicit PhoneMatcher(const QString& region = QString());

    // What every number that can be the same as `phone` shares: its national significant
    // number, or, for text that is no phone number, the text itself. Meant for an index.
    QString key(const QString& phone) const;
    bool same(const QString& left, const QString& right) const;
    // Which of `candidates` are the same number as `phone`, in their order; each different text
    // is read once.
    QVector<bool> sameAs(const QString& phone, const QStringList& candidates) const;

private:
    std::string region;
};
