#include <algorithm>
#include <cstdint>

#include "geometry/value_mapping.h"
#include "platform/canvas.h"
#include "series/integer_list.h"

namespace vela {

void TVegaIntegerList::DrawColoredBar(Canvas& Canv, const TRect& R, std::int32_t ValueMin,
                                      std::int32_t ValueMax, TColor ColorMin,
                                      TColor ColorMax) const {
    DrawColoredBarLocal(Canv, R, ValueMin, ValueMax, ColorMin, ColorMax, 0, Count() - 1);
}

void TVegaIntegerList::DrawColoredBarLocal(Canvas& Canv, const TRect& R, std::int32_t ValueMin,
                                           std::int32_t ValueMax, TColor ColorMin, TColor ColorMax,
                                           std::int32_t LMin, std::int32_t LMax) const {
    if (LMax < LMin) return;
    for (std::int32_t i = LMin; i <= LMax; ++i) {
        const std::int32_t v =
            std::clamp(GetItem(i), std::min(ValueMin, ValueMax), std::max(ValueMin, ValueMax));
        Canv.Brush().Color = GradientColor(ColorMin, ColorMax, ValueMin, ValueMax, v);
        // The chosen positions tile the width of R.
        const std::int32_t x1 = ValueToPixel(R.Left, R.Right, LMin, LMax + 1.0, i);
        const std::int32_t x2 = ValueToPixel(R.Left, R.Right, LMin, LMax + 1.0, i + 1.0);
        Canv.FillRect(TRect{x1, R.Top, x2, R.Bottom});
    }
}

}  // namespace vela
