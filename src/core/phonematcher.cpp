#include "core/phonematcher.h"

#include <QHash>
#include <QLocale>

#include <algorithm>
#include <phonenumbers/phonenumberutil.h>

using i18n::phonenumbers::PhoneNumber;
using i18n::phonenumbers::PhoneNumberUtil;

namespace {

QString systemRegion() {
    // "ru_RU" gives "RU"; the C locale names no country, and numbers then need their code.
    const QString name = QLocale::system().name();
    const int separator = name.indexOf(QLatin1Char('_'));
    return separator < 0 ? QString() : name.mid(separator + 1, 2);
}

bool parse(const QString& phone, const std::string& region, PhoneNumber* number) {
    return PhoneNumberUtil::GetInstance()->Parse(phone.toStdString(), region, number) ==
           PhoneNumberUtil::NO_PARSING_ERROR;
}

} // namespace

PhoneMatcher::PhoneMatcher(const QString& regionCode)
    : region((regionCode.isEmpty() ? systemRegion() : regionCode).toUpper().toStdString()) {}

QString PhoneMatcher::key(const QString& phone) const {
    PhoneNumber number;
    if (!parse(phone, region, &number)) {
        return phone.trimmed();
    }
    std::string national;
    PhoneNumberUtil::GetInstance()->GetNationalSignificantNumber(number, &national);
    return QString::fromStdString(national);
}

namespace {

// A number matches only as the same number (exactly, or by its national significant number when
// one side has no country); a number that merely ends like another one is a different number.
bool sameNumbers(const PhoneNumber& first, const PhoneNumber& second) {
    const PhoneNumberUtil::MatchType match =
        PhoneNumberUtil::GetInstance()->IsNumberMatch(first, second);
    return match == PhoneNumberUtil::EXACT_MATCH || match == PhoneNumberUtil::NSN_MATCH;
}

} // namespace

bool PhoneMatcher::same(const QString& left, const QString& right) const {
    return sameAs(left, {right}).first();
}

// Text that is no phone number is the same only as the same text.
QVector<bool> PhoneMatcher::sameAs(const QString& phone, const QStringList& candidates) const {
    // The number is read only when some candidate is typed differently: the same text is the
    // same number, or the same text that is no number.
    QHash<QString, bool> decided{{phone, true}};
    PhoneNumber number;
    const bool parsed =
        std::any_of(candidates.cbegin(), candidates.cend(),
                    [&phone](const QString& candidate) { return candidate != phone; }) &&
        parse(phone, region, &number);
    QVector<bool> same;
    same.reserve(candidates.size());
    for (const QString& candidate : candidates) {
        auto known = decided.constFind(candidate);
        if (known == decided.constEnd()) {
            PhoneNumber other;
            const bool match = parsed && parse(candidate, region, &other)
                                   ? sameNumbers(number, other)
                                   : candidate.trimmed() == phone.trimmed();
            known = decided.insert(candidate, match);
        }
        same << known.value();
    }
    return same;
}
