#include "app/qt_canvas.h"

#include <QFontMetricsF>
#include <QPen>
#include <QPoint>
#include <QPolygon>
#include <QRect>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace vela::app {

namespace {

__extension__ using Int128 = __int128;

constexpr std::size_t kFontCacheSize = 8;
constexpr int kMaxPixelSize = 4000;

// The platform's patterns for one-pixel styled pens: lengths of on and off pieces in pixels.
std::span<const int> DashPattern(PenStyle style) {
    static constexpr std::array<int, 2> kDash{18, 6};
    static constexpr std::array<int, 2> kDot{3, 3};
    static constexpr std::array<int, 4> kDashDot{9, 6, 3, 6};
    static constexpr std::array<int, 6> kDashDotDot{9, 3, 3, 3, 3, 3};
    switch (style) {
        case PenStyle::Dash:
            return kDash;
        case PenStyle::Dot:
            return kDot;
        case PenStyle::DashDot:
            return kDashDot;
        case PenStyle::DashDotDot:
            return kDashDotDot;
        default:
            return {};
    }
}

bool PatternIsOn(std::span<const int> pattern, int total, std::int64_t i) {
    if (pattern.empty()) return true;
    int phase = static_cast<int>(i % total);
    for (std::size_t k = 0; k < pattern.size(); ++k) {
        if (phase < pattern[k]) return k % 2 == 0;
        phase -= pattern[k];
    }
    return true;
}

bool IsArialFamily(const std::string& name) {
    const QString n = QString::fromStdString(name);
    return n.compare(QStringLiteral("Arial"), Qt::CaseInsensitive) == 0 ||
           n.compare(QStringLiteral("Liberation Sans"), Qt::CaseInsensitive) == 0;
}

QFont BaseFont(const CanvasFont& font) {
    QFont f;
    QStringList families{QString::fromStdString(font.Name)};
    // Arial's metric twin, so that text measures the same where Arial itself is missing.
    if (IsArialFamily(font.Name)) families << QStringLiteral("Liberation Sans");
    f.setFamilies(families);
    f.setWeight(font.IsBold() ? QFont::Bold : QFont::Normal);
    f.setItalic(font.Style.Italic);
    f.setUnderline(font.Style.Underline);
    f.setStrikeOut(font.Style.StrikeOut);
    f.setKerning(false);
    return f;
}

// Cell height (ascent + descent) and average character width per pixel of em height.
void FaceProportions(const CanvasFont& font, const QFont& base, double& cellPerEm,
                     double& averagePerEm) {
    if (IsArialFamily(font.Name)) {
        // Arial's own figures (2048 units per em): the average width is the one the platform
        // stretches by, and Liberation Sans reports a different one.
        cellPerEm = (1854.0 + 434.0) / 2048.0;
        averagePerEm = (font.IsBold() ? 983.0 : 904.0) / 2048.0;
        return;
    }
    QFont probe = base;
    probe.setPixelSize(1000);
    const QFontMetricsF m(probe);
    cellPerEm = (m.ascent() + m.descent()) / 1000.0;
    averagePerEm = m.averageCharWidth() / 1000.0;
    if (!(cellPerEm > 0)) cellPerEm = 1;
    if (!(averagePerEm > 0)) averagePerEm = 0.5;
}

QRect RectOf(std::int64_t left, std::int64_t top, std::int64_t width, std::int64_t height) {
    auto clamp = [](std::int64_t v) {
        return static_cast<int>(std::clamp<std::int64_t>(v, std::numeric_limits<int>::min() / 2,
                                                         std::numeric_limits<int>::max() / 2));
    };
    return QRect(clamp(left), clamp(top), clamp(width), clamp(height));
}

}  // namespace

QColor ToQColor(TColor c) {
    return QColor(RedOf(c), GreenOf(c), BlueOf(c));
}

QFont ToQFont(const CanvasFont& font) {
    QFont f = BaseFont(font);
    double cellPerEm = 1;
    double averagePerEm = 0.5;
    const bool needProportions = font.Height > 0 || font.Width > 0;
    if (needProportions) FaceProportions(font, f, cellPerEm, averagePerEm);
    double em = 12;
    if (font.Height < 0)
        em = -static_cast<double>(font.Height);
    else if (font.Height > 0)
        em = std::nearbyint(font.Height / cellPerEm);
    em = std::clamp(em, 1.0, static_cast<double>(kMaxPixelSize));
    f.setPixelSize(static_cast<int>(em));
    if (font.Width > 0) {
        const double stretch = std::nearbyint(100.0 * font.Width / (averagePerEm * em));
        f.setStretch(static_cast<int>(std::clamp(stretch, 1.0, 4000.0)));
    }
    return f;
}

QtCanvas::QtCanvas(QImage& image) : image_(image) {
    painter_.begin(&image_);
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setRenderHint(QPainter::TextAntialiasing, true);
}

QtCanvas::~QtCanvas() {
    if (painter_.isActive()) painter_.end();
}

std::int32_t QtCanvas::PixelsPerInch() const {
    return image_.logicalDpiX();
}

const QtCanvas::CachedFont& QtCanvas::CurrentFont() const {
    CanvasFont key = Font();
    key.Color = clBlack;  // colour is not part of the face
    for (const auto& f : fonts_)
        if (f.Key == key) return f;
    if (fonts_.size() >= kFontCacheSize) fonts_.erase(fonts_.begin());
    QFont font = ToQFont(key);
    fonts_.push_back(CachedFont{key, font, QFontMetrics(font, &image_)});
    return fonts_.back();
}

std::int32_t QtCanvas::TextWidth(std::string_view text) const {
    if (text.empty()) return 0;
    return CurrentFont().Metrics.horizontalAdvance(
        QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

std::int32_t QtCanvas::TextHeight(std::string_view) const {
    const QFontMetrics& m = CurrentFont().Metrics;
    return m.ascent() + m.descent();
}

void QtCanvas::UsePenMode() {
    const auto mode = Pen().Mode == PenMode::Mask ? QPainter::RasterOp_SourceAndDestination
                                                  : QPainter::CompositionMode_SourceOver;
    if (mode != mode_) {
        painter_.setCompositionMode(mode);
        mode_ = mode;
    }
}

void QtCanvas::UseCopyMode() {
    if (mode_ != QPainter::CompositionMode_SourceOver) {
        painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
        mode_ = QPainter::CompositionMode_SourceOver;
    }
}

void QtCanvas::DoLine(TPoint from, TPoint to) {
    if (Pen().Width > 1)
        WideLine(from, to);
    else
        ThinLine(from, to);
}

void QtCanvas::ThinLine(TPoint from, TPoint to) {
    const std::int64_t dx = static_cast<std::int64_t>(to.X) - from.X;
    const std::int64_t dy = static_cast<std::int64_t>(to.Y) - from.Y;
    const std::int64_t adx = dx < 0 ? -dx : dx;
    const std::int64_t ady = dy < 0 ? -dy : dy;
    const bool xMajor = adx >= ady;
    const std::int64_t n = xMajor ? adx : ady;  // pixels drawn: the end pixel is left out
    const std::int64_t m = xMajor ? ady : adx;
    if (n == 0) return;
    const int majorStep = (xMajor ? dx : dy) < 0 ? -1 : 1;
    const int minorStep = (xMajor ? dy : dx) < 0 ? -1 : 1;
    const std::int64_t major0 = xMajor ? from.X : from.Y;
    const std::int64_t minor0 = xMajor ? from.Y : from.X;

    // Only the steps whose major coordinate lies on the image are walked.
    const std::int64_t extent = xMajor ? image_.width() : image_.height();
    std::int64_t first = 0;
    std::int64_t last = n - 1;
    if (majorStep > 0) {
        first = std::max(first, -major0);
        last = std::min(last, extent - 1 - major0);
    } else {
        first = std::max(first, major0 - (extent - 1));
        last = std::min(last, major0);
    }
    if (first > last) return;

    const std::span<const int> pattern = DashPattern(Pen().Style);
    int total = 0;
    for (int p : pattern) total += p;
    const bool opaqueGaps = !BackgroundTransparent() && Brush().Style != BrushStyle::Clear;
    const QColor on = ToQColor(Pen().Color);
    const QColor off = ToQColor(Brush().Color);
    UsePenMode();

    // Pixels are gathered into runs along the major axis and filled run by run.
    std::int64_t runStart = 0;
    std::int64_t runLength = 0;
    std::int64_t runMinor = 0;
    bool runOn = true;
    auto flush = [&] {
        if (runLength == 0) return;
        const std::int64_t lo = majorStep > 0 ? runStart : runStart - runLength + 1;
        const QRect r =
            xMajor ? RectOf(lo, runMinor, runLength, 1) : RectOf(runMinor, lo, 1, runLength);
        painter_.fillRect(r, runOn ? on : off);
        runLength = 0;
    };
    for (std::int64_t i = first; i <= last; ++i) {
        const bool isOn = PatternIsOn(pattern, total, i);
        if (!isOn && !opaqueGaps) {
            flush();
            continue;
        }
        // The minor offset m * i / n rounded to nearest, halves towards the start.
        const auto offset =
            static_cast<std::int64_t>((Int128(2) * m * i + n - 1) / (Int128(2) * n));
        const std::int64_t major = major0 + majorStep * i;
        const std::int64_t minor = minor0 + minorStep * offset;
        if (runLength > 0 && minor == runMinor && isOn == runOn) {
            ++runLength;
            continue;
        }
        flush();
        runStart = major;
        runMinor = minor;
        runOn = isOn;
        runLength = 1;
    }
    flush();
}

void QtCanvas::WideLine(TPoint from, TPoint to) {
    UsePenMode();
    QPen pen(ToQColor(Pen().Color));
    pen.setWidth(Pen().Width);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    painter_.setPen(pen);
    painter_.setBrush(Qt::NoBrush);
    painter_.drawLine(QPoint(from.X, from.Y), QPoint(to.X, to.Y));
}

void QtCanvas::DoFillRect(const TRect& r) {
    UseCopyMode();
    painter_.fillRect(RectOf(r.Left, r.Top, static_cast<std::int64_t>(r.Right) - r.Left,
                             static_cast<std::int64_t>(r.Bottom) - r.Top),
                      ToQColor(Brush().Color));
}

void QtCanvas::DoRectangle(const TRect& r) {
    const std::int64_t w = static_cast<std::int64_t>(r.Right) - r.Left;
    const std::int64_t h = static_cast<std::int64_t>(r.Bottom) - r.Top;
    const bool outlined = Pen().Style != PenStyle::Clear;
    if (Brush().Style != BrushStyle::Clear) {
        UsePenMode();
        // Without a pen the platform fills one pixel less on the right and at the bottom.
        const QRect inside = !outlined          ? RectOf(r.Left, r.Top, w - 1, h - 1)
                             : Pen().Width == 1 ? RectOf(r.Left + 1, r.Top + 1, w - 2, h - 2)
                                                : RectOf(r.Left, r.Top, w - 1, h - 1);
        if (inside.width() > 0 && inside.height() > 0)
            painter_.fillRect(inside, ToQColor(Brush().Color));
    }
    if (!outlined) return;
    const TPoint corners[] = {
        {r.Left, r.Top}, {r.Right - 1, r.Top}, {r.Right - 1, r.Bottom - 1}, {r.Left, r.Bottom - 1}};
    for (int i = 0; i < 4; ++i) DoLine(corners[i], corners[(i + 1) % 4]);
    // A one-pixel rectangle has no outline segments of any length: draw its pixel.
    if (w == 1 && h == 1) ThinLine(corners[0], TPoint{r.Left + 1, r.Top});
}

void QtCanvas::DoPolygon(std::span<const TPoint> points) {
    if (Brush().Style != BrushStyle::Clear) {
        UsePenMode();
        QPolygon polygon;
        polygon.reserve(static_cast<qsizetype>(points.size()));
        for (const TPoint& p : points) polygon << QPoint(p.X, p.Y);
        painter_.setPen(Qt::NoPen);
        painter_.setBrush(ToQColor(Brush().Color));
        painter_.drawPolygon(polygon, Qt::OddEvenFill);
        painter_.setBrush(Qt::NoBrush);
    }
    if (Pen().Style == PenStyle::Clear) return;
    for (std::size_t i = 0; i < points.size(); ++i)
        DoLine(points[i], points[(i + 1) % points.size()]);
}

void QtCanvas::DoTextOut(std::int32_t x, std::int32_t y, std::string_view text) {
    const CachedFont& cached = CurrentFont();
    const QString s = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    UseCopyMode();
    painter_.save();
    painter_.translate(x, y);
    if (Font().Escapement != 0) painter_.rotate(-Font().Escapement / 10.0);
    if (!BackgroundTransparent() && Brush().Style != BrushStyle::Clear)
        painter_.fillRect(QRect(0, 0, cached.Metrics.horizontalAdvance(s),
                                cached.Metrics.ascent() + cached.Metrics.descent()),
                          ToQColor(Brush().Color));
    painter_.setFont(cached.Font);
    painter_.setPen(ToQColor(Font().Color));
    painter_.drawText(QPoint(0, cached.Metrics.ascent()), s);
    painter_.restore();
}

}  // namespace vela::app
