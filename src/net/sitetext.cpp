#include "net/sitetext.h"

#include <algorithm>

namespace SiteText {
namespace {

// Marks that change the direction of the text around them; joiners, which emoji and some
// scripts need, stay.
bool isDirectionMark(QChar c) {
    const char16_t u = c.unicode();
    return u == 0x061C || u == 0x200E || u == 0x200F || (u >= 0x202A && u <= 0x202E) ||
           (u >= 0x2066 && u <= 0x2069);
}

// Characters that break a line: controls, and the line and paragraph separators.
bool breaksOrControls(QChar c) {
    const QChar::Category category = c.category();
    return category == QChar::Other_Control || category == QChar::Separator_Line ||
           category == QChar::Separator_Paragraph;
}

bool isRightToLeft(QChar c) {
    switch (c.direction()) {
    case QChar::DirR:
    case QChar::DirAL:
        return true;
    default:
        return false;
    }
}

} // namespace

bool isPlain(const QString& text) {
    return std::none_of(text.cbegin(), text.cend(),
                        [](QChar c) { return breaksOrControls(c) || isDirectionMark(c); });
}

QString shown(QString text) {
    if (isPlain(text)) {
        return text;
    }
    for (QChar& c : text) {
        if (breaksOrControls(c)) {
            c = QLatin1Char(' ');
        } else if (isDirectionMark(c)) {
            c = QChar::ReplacementCharacter;
        }
    }
    return text;
}

QString isolated(const QString& text) {
    if (std::none_of(text.cbegin(), text.cend(), isRightToLeft)) {
        return text;
    }
    return QChar(0x2068) + text + QChar(0x2069);
}

} // namespace SiteText
