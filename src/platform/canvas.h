#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "platform/graphics_types.h"

namespace vela {

enum class PenStyle { Solid, Dash, Dot, DashDot, DashDotDot, Clear };

// How the pen's colour combines with the pixels already there: Copy replaces them, Mask ANDs
// the pen colour with them (so a yellow pen on white gives yellow, on black stays black).
enum class PenMode { Copy, Mask };

enum class BrushStyle { Solid, Clear };

struct FontStyles {
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    friend bool operator==(const FontStyles&, const FontStyles&) = default;
};

struct CanvasPen {
    TColor Color = clBlack;
    PenStyle Style = PenStyle::Solid;
    std::int32_t Width = 1;
    PenMode Mode = PenMode::Copy;
    friend bool operator==(const CanvasPen&, const CanvasPen&) = default;
};

struct CanvasBrush {
    TColor Color = clWhite;
    BrushStyle Style = BrushStyle::Solid;
    friend bool operator==(const CanvasBrush&, const CanvasBrush&) = default;
};

// A logical font as the platform's font mapper takes it.
struct CanvasFont {
    std::string Name = "Arial";
    // Pixels. Negative: the character (em) height; positive: the cell height (ascent plus
    // descent, internal leading included); 0: the face's default size.
    std::int32_t Height = -11;
    // Average character width in pixels; 0 keeps the face's own proportions.
    std::int32_t Width = 0;
    // Angle of the text's baseline in tenths of a degree, counter-clockwise.
    std::int32_t Escapement = 0;
    // 1..1000 as the platform weighs fonts (400 regular, 700 bold); 0 takes it from Style.
    std::int32_t Weight = 0;
    FontStyles Style;
    TColor Color = clBlack;

    // The weight the font mapper sees; 600 and above select the bold face.
    std::int32_t EffectiveWeight() const {
        if (Weight != 0) return Weight;
        return Style.Bold ? 700 : 400;
    }
    bool IsBold() const { return EffectiveWeight() >= 600; }
    friend bool operator==(const CanvasFont&, const CanvasFont&) = default;
};

// a * b / c rounded to nearest with halves away from zero, as the platform's MulDiv; -1 when c
// is 0 or the result does not fit 32 bits.
std::int32_t MulDiv(std::int32_t a, std::int32_t b, std::int32_t c);

// A drawing surface with the platform's pixel rules: a line leaves out its end pixel, a filled
// rectangle leaves out its right and bottom edges, text is placed by the top-left corner of its
// character cell. Colours are $00BBGGRR integers throughout.
class Canvas {
  public:
    virtual ~Canvas() = default;
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    CanvasPen& Pen() { return pen_; }
    const CanvasPen& Pen() const { return pen_; }
    CanvasBrush& Brush() { return brush_; }
    const CanvasBrush& Brush() const { return brush_; }
    CanvasFont& Font() { return font_; }
    const CanvasFont& Font() const { return font_; }

    // Transparent: text and the gaps of styled lines leave the background as it is; opaque
    // (the initial mode): they are backed with the brush colour.
    void SetBackgroundTransparent(bool transparent) { transparent_ = transparent; }
    bool BackgroundTransparent() const { return transparent_; }

    // The font size in points at this canvas's resolution; negative when the height is a
    // cell height. Setting it sets an em height.
    std::int32_t FontSize() const;
    void SetFontSize(std::int32_t points);

    TPoint PenPos() const { return penPos_; }
    void MoveTo(std::int32_t x, std::int32_t y) { penPos_ = TPoint{x, y}; }
    // A line from the pen position to (x, y) without the pixel at (x, y); the pen moves there.
    void LineTo(std::int32_t x, std::int32_t y);

    // Fills with the brush, right and bottom edges left out; the corners may come in any order.
    // A clear brush fills nothing.
    void FillRect(const TRect& r);
    // Outlined with the pen and filled with the brush, right and bottom edges left out.
    void Rectangle(const TRect& r);
    // Closed outline with the pen, inside filled with the brush (alternate filling).
    void Polygon(std::span<const TPoint> points);
    // The top-left corner of the text's character cell at (x, y), rotated by the font's
    // escapement about that corner; the pen moves on to (x + the text's width, y).
    void TextOut(std::int32_t x, std::int32_t y, std::string_view text);

    // The unrotated extent of text in the current font.
    virtual std::int32_t TextWidth(std::string_view text) const = 0;
    virtual std::int32_t TextHeight(std::string_view text) const = 0;
    virtual std::int32_t PixelsPerInch() const = 0;

  protected:
    Canvas() = default;

    virtual void DoLine(TPoint from, TPoint to) = 0;
    virtual void DoFillRect(const TRect& normalized) = 0;
    virtual void DoRectangle(const TRect& normalized) = 0;
    virtual void DoPolygon(std::span<const TPoint> points) = 0;
    virtual void DoTextOut(std::int32_t x, std::int32_t y, std::string_view text) = 0;

  private:
    CanvasPen pen_;
    CanvasBrush brush_;
    CanvasFont font_;
    bool transparent_ = false;
    TPoint penPos_;
};

}  // namespace vela
