#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "platform/canvas.h"

namespace vela::bench {

// Draws nothing; text metrics as cheap as the recording canvas's.
class NullCanvas : public Canvas {
  public:
    std::int32_t TextWidth(std::string_view text) const override {
        return static_cast<std::int32_t>(text.size()) * 6;
    }
    std::int32_t TextHeight(std::string_view) const override { return 12; }
    std::int32_t PixelsPerInch() const override { return 96; }

  protected:
    void DoLine(TPoint, TPoint) override {}
    void DoFillRect(const TRect&) override {}
    void DoRectangle(const TRect&) override {}
    void DoPolygon(std::span<const TPoint>) override {}
    void DoTextOut(std::int32_t, std::int32_t, std::string_view) override {}
};

}  // namespace vela::bench
