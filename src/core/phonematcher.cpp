#include "core/phonematcher.h"

#include <QLocale>

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

// A number matches only as the same number (exactly, or by its national significant number when
// one side has no country); a number that merely ends like another one is a different number.
bool PhoneMatcher::same(const QString& left, const QString& right) const {
    PhoneNumber first;
    PhoneNumber second;
    if (!parse(left, region, &first) || !parse(right, region, &second)) {
        return left.trimmed() == right.trimmed();
    }
    const PhoneNumberUtil::MatchType match =
        PhoneNumberUtil::GetInstance()->IsNumberMatch(first, second);
    return match == PhoneNumberUtil::EXACT_MATCH || match == PhoneNumberUtil::NSN_MATCH;
}
