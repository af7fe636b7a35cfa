#pragma once

#include <QString>

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

private:
    std::string region;
};
