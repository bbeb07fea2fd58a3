#pragma once

#include <QFont>

namespace vela::app {

// "Arial" at a height in pixels (the forms give font heights as negative pixel counts).
inline QFont ArialFont(int pixelHeight, bool bold = false) {
    QFont f("Arial");
    f.setPixelSize(pixelHeight);
    f.setBold(bold);
    return f;
}

// The forms' "MS Sans Serif": the platform's plain sans-serif face, at a height in pixels.
inline QFont MsSansSerifFont(int pixelHeight) {
    QFont f("Sans Serif");
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(pixelHeight);
    return f;
}

// Gives a control the name desktop files and tests know it by.
template <typename W>
W* Named(W* w, const char* name) {
    w->setObjectName(name);
    return w;
}

}  // namespace vela::app
