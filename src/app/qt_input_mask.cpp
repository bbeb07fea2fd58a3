#include "app/qt_input_mask.h"

#include <QCoreApplication>

#include <string>

#include "text/utf8_chars.h"

namespace vela::app {

namespace {

// A character as a literal of Qt's mask: escaped where Qt would read it as a mask character.
QString Literal(char32_t c) {
    constexpr std::u32string_view kQtMaskCharacters = U"AaNnXx90DdHhBb#<>![]{}\\;";
    const QString s = QString::fromUcs4(&c, 1);
    return kQtMaskCharacters.find(c) != std::u32string_view::npos ? QStringLiteral("\\") + s : s;
}

}  // namespace

QString QtInputMask(std::string_view mask) {
    const std::u32string chars = DecodeUtf8(mask);
    QString out;
    std::size_t i = !chars.empty() && chars[0] == U'!' ? 1 : 0;
    for (; i < chars.size() && chars[i] != U';'; ++i) {
        const char32_t c = chars[i];
        switch (c) {
            case U'9':
                out += QLatin1Char('0');
                break;
            case U'0':
                out += QLatin1Char('9');
                break;
            case U'#':
                out += QLatin1Char('#');
                break;
            case U'L':
                out += QLatin1Char('A');
                break;
            case U'l':
                out += QLatin1Char('a');
                break;
            case U'A':
                out += QLatin1Char('N');
                break;
            case U'a':
                out += QLatin1Char('n');
                break;
            case U'C':
                out += QLatin1Char('X');
                break;
            case U'c':
                out += QLatin1Char('x');
                break;
            case U'>':
                out += QLatin1Char('>');
                break;
            case U'<':
                out += QLatin1Char('<');
                break;
            case U'\\':
                if (i + 1 < chars.size()) out += Literal(chars[++i]);
                break;
            default:
                out += Literal(c);
                break;
        }
    }
    // Fields: ";1" or ";0" (literals kept or not), then ";" and the blank character.
    if (i < chars.size()) {
        const std::size_t second = i + 1;
        std::size_t third = second;
        while (third < chars.size() && chars[third] != U';') ++third;
        if (third + 1 < chars.size())
            out += QLatin1Char(';') + QString::fromUcs4(&chars[third + 1], 1);
    }
    return out;
}

bool LeavesTheControl(const QFocusEvent& event) {
    const Qt::FocusReason reason = event.reason();
    return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason &&
           !QCoreApplication::closingDown();
}

}  // namespace vela::app
