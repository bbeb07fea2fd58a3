#include "app/qt_number_locale.h"

#include <QColor>

namespace vela::app {

namespace {

// What stands before and after the digits when the locale writes `amount` (1 or -1) as money;
// false when the digit cannot be found.
bool CurrencyParts(const QLocale& locale, double amount, std::string& prefix, std::string& suffix) {
    QString text = locale.toCurrencyString(amount, locale.currencySymbol(), 0);
    // The engine writes its own minus sign, whatever the locale's looks like.
    if (amount < 0) text.replace(locale.negativeSign(), QStringLiteral("-"));
    const QString one = locale.toString(1);
    const qsizetype at = text.indexOf(one);
    if (at < 0) return false;
    prefix = text.left(at).toStdString();
    suffix = text.mid(at + one.size()).toStdString();
    return true;
}

}  // namespace

NumberLocale NumberLocaleOf(const QLocale& locale) {
    NumberLocale n;
    const QList<uint> point = locale.decimalPoint().toUcs4();
    if (!point.isEmpty()) n.DecimalSeparator = static_cast<char32_t>(point.front());
    n.ThousandSeparator = locale.groupSeparator().toStdString();
    CurrencyFormat currency;
    if (CurrencyParts(locale, 1, currency.PositivePrefix, currency.PositiveSuffix) &&
        CurrencyParts(locale, -1, currency.NegativePrefix, currency.NegativeSuffix)) {
        // Negative amounts in brackets ("($1)") would come back positive when the edit reads
        // its text, which keeps only signs and digits: they get a minus sign instead.
        if ((currency.NegativePrefix + currency.NegativeSuffix).find('-') == std::string::npos) {
            currency.NegativePrefix = "-" + currency.PositivePrefix;
            currency.NegativeSuffix = currency.PositiveSuffix;
        }
        n.Currency = currency;
    }
    return n;
}

int CharIndexOf(const QString& text, int utf16Index) {
    int chars = 0;
    for (int i = 0; i < utf16Index && i < text.size(); ++i) {
        // The low half of a pair belongs to the character its high half started.
        if (!text.at(i).isLowSurrogate()) ++chars;
    }
    return chars;
}

int Utf16IndexOf(const QString& text, int charIndex) {
    int i = 0;
    for (int chars = 0; chars < charIndex && i < text.size(); ++chars) {
        i += text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
    }
    return i;
}

TColor FromQColor(const QColor& color) {
    return RgbColor(color.red(), color.green(), color.blue());
}

}  // namespace vela::app
