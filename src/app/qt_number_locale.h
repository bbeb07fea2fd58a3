#pragma once

#include <QLocale>
#include <QString>

#include "controls/number_formats.h"
#include "platform/graphics_types.h"

class QColor;

namespace vela::app {

// The separators and the currency format of a Qt locale, for the numeric edit.
NumberLocale NumberLocaleOf(const QLocale& locale);

// Positions in a text counted in characters and in Qt's UTF-16 units.
int CharIndexOf(const QString& text, int utf16Index);
int Utf16IndexOf(const QString& text, int charIndex);

TColor FromQColor(const QColor& color);

}  // namespace vela::app
