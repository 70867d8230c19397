#include "compare/natural_order.h"

namespace vt {

QString NaturalSortKey(const QString& text)
{
    const QString folded = text.toCaseFolded();
    QString key;
    key.reserve(folded.size() + 8);
    for (qsizetype i = 0; i < folded.size();) {
        if (!folded[i].isDigit()) {
            key += folded[i++];
            continue;
        }
        qsizetype end = i;
        while (end < folded.size() && folded[end].isDigit()) ++end;
        qsizetype first = i;
        while (first + 1 < end && folded[first] == QLatin1Char('0')) ++first;
        // A number becomes "0", its length, its digits: after blanks and
        // punctuation and before letters, as digits are; a shorter number
        // before a longer one; numbers of one length digit by digit.
        key += QLatin1Char('0');
        key += QChar(static_cast<char16_t>(u'0' + (end - first)));
        key += QStringView(folded).mid(first, end - first);
        i = end;
    }
    return key;
}

}  // namespace vt
