#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/graphics_types.h"

namespace vela {

class Canvas;
class TVegaIntegerList;

// The null value: a series position without a value. Tests against it are exact.
inline constexpr double kNullValue = 1e10;

// Where every minimum/maximum search starts; a search that finds nothing leaves this pair,
// which callers recognise by XMin > XMax.
inline constexpr double kMinSearchStart = 1e300;
inline constexpr double kMaxSearchStart = -1e300;

// Centred averages wider than this many positions either side switch to their exponential
// forms (SetMovingAverages type 2, SetNonLagMovingAverages).
inline constexpr std::int32_t kWindowLimit = 15;
// The most unknowns the autoregressive solver takes.
inline constexpr std::int32_t kMaxLinearSystemOrder = 400;

// An ordered series of doubles in which kNullValue marks a position without a value.
// Positions are 0-based; a position outside the list raises ListIndexError.
//
// The class is the base of the series library: the core operations below are defined in
// double_list.cpp, and each further family of members (statistics, indicators and signals,
// drawing, distributions) in its own double_list_<family>.cpp.
class TVegaDoubleList {
  public:
    // Create: an empty list with UserV1 = null and every other field zero.
    TVegaDoubleList() = default;
    // Create1: a copy of L's items and of its PP; every other field zero.
    static TVegaDoubleList Create1(const TVegaDoubleList& L);
    // Create10: NRecords items equal to NValue (none when NRecords <= 0); fields zero.
    static TVegaDoubleList Create10(std::int32_t NRecords, std::int32_t NValue);

    // Plain C++ copies take every field.
    TVegaDoubleList(const TVegaDoubleList&) = default;
    TVegaDoubleList(TVegaDoubleList&&) = default;
    TVegaDoubleList& operator=(const TVegaDoubleList&) = default;
    TVegaDoubleList& operator=(TVegaDoubleList&&) = default;
    virtual ~TVegaDoubleList() = default;

    std::int32_t Count() const { return static_cast<std::int32_t>(FList.size()); }
    std::int32_t GetCount() const { return Count(); }
    double GetItem(std::int32_t Index) const;
    void SetItem(std::int32_t Index, double Value);
    double operator[](std::int32_t Index) const { return GetItem(Index); }
    // The items as one contiguous block, for readers of whole series.
    std::span<const double> Items() const { return FList; }
    // Room for n items without reallocation (a chart rebuilds a million-bar series often).
    void Reserve(std::int32_t n) {
        if (n > 0) FList.reserve(static_cast<std::size_t>(n));
    }

    // Appends Value; returns its position.
    virtual std::int32_t Add(double Value);
    // Inserts Value so that it becomes the item at Index (0..Count).
    void Insert(std::int32_t Index, double Value);
    // Inserts d at position 0, then drops the last item when Count exceeds StackSize.
    void AddAsStack(double d, std::int32_t StackSize);
    virtual void Clear();
    virtual void Delete(std::int32_t Index);
    // Removes the items at the positions listed in LIndex, all taken before the call;
    // duplicates are harmless, positions past the end are ignored, a negative position raises
    // ListIndexError (the positions listed before it are removed all the same).
    void DeleteL(const TVegaIntegerList& LIndex);
    void Fill(double V);
    // Clear, then a copy of L1000's items (no other field).
    void AssignA(const TVegaDoubleList& L1000);

    // Stable sort: -1 ascending, 1 descending, other values leave the list unchanged. Nulls
    // sort as the number they are, so ascending moves them to the end.
    void Range(std::int8_t Direction);
    // Position i takes the old item i + Shift, or null where that is outside the list.
    void ShiftArray(std::int32_t Shift);
    void Inverse();

    bool Only_Null() const;
    bool Only_Value(double V) const;
    // Every item becomes VMin + (VMax - VMin) * r, r uniform in [0, 1) from the process-wide
    // generator.
    void Randomize(double VMin, double VMax);
    std::int32_t IndexOf(double II) const;
    bool PresentNear(double Value, double Delta) const;
    // Angles in degrees.
    bool PresentNear360(double Value, double Delta) const;

    // Minimum and maximum: the pair starts at kMinSearchStart/kMaxSearchStart and keeps it
    // when nothing qualifies.
    void GetMinMax(double& XMin, double& XMax) const;
    // Over positions imin..imax (not clamped; an outside position raises ListIndexError).
    void GetMinMax1(std::int32_t imin, std::int32_t imax, double& XMin, double& XMax) const;
    // Over the items whose TimeList time lies between TTMin and TTMax inclusive.
    void GetMinMax1Rescaled(double TTMin, double TTMax, const TVegaDoubleList& TimeList,
                            double& XMin, double& XMax) const;
    // Positions of the smallest and largest item, nulls included; -1 when none.
    void GetMinMaxIndex(std::int32_t& XMinIndex, std::int32_t& XMaxIndex) const;
    void GetMinMaxWithNull(double& XMin, double& XMax, double VNull) const;
    // As GetMinMaxWithNull over IndexMin..IndexMax clamped into the list.
    void GetMinMaxWithNullSpan(double& XMin, double& XMax, double VNull, std::int32_t IndexMin,
                               std::int32_t IndexMax) const;

    // Text forms. ProfStr writes each item with RealToText and a space after it;
    // FromProfStr and FromProfStrMatrix replace the items by the numbers they read and return
    // the new Count.
    std::string ProfStr() const;
    std::int32_t FromProfStr(std::string_view s);
    // Column ICol (from 0) of the comma-separated rows written in parentheses: "(1,2)(3,4)".
    std::int32_t FromProfStrMatrix(std::string_view s, std::int32_t ICol);

    // Statistics (double_list_statistics.cpp; the functions of series_statistics.h over the
    // items with kNullValue as the null). Statistics that cannot be computed give kNullValue.

    double AvValue() const;
    double AvAbsValue() const;
    double AvValue1(std::int32_t imin, std::int32_t imax) const;
    double AvValue_WithoutAbsExtreme(std::uint8_t PercentExtreme) const;
    double Dispersion(std::uint8_t StatKind) const;
    void GetSkewKurtosis(long double& Skew, long double& Kert, std::uint8_t StatKind) const;
    // Advances the process-wide pseudo-random generator.
    double Changebility() const;
    double Entropy() const;
    double EntropyExt(std::uint8_t Kind) const;
    std::int32_t UndependenIntervalsCount() const;
    std::int32_t UndependenIntervalsCount1() const;
    bool LinearInterpolate(double& a, double& b) const;
    bool LinearInterpolate1(double& a, double& b, std::int32_t imin, std::int32_t imax) const;
    double ForHurst_RS() const;
    double ForHurst_DFA() const;
    double ForHurst_Path() const;
    double PlusMinusStat(std::int32_t& iplus, std::int32_t& iminus) const;
    double SQN() const;
    std::string SQN_Info_Str(std::int32_t Kind) const;
    void DrawDown(double& AbsValue, double& PercentageValue) const;
    double MedianValue(std::int32_t imin, std::int32_t imax) const;
    double AutoCovariation(std::int32_t Lag, bool NormalizeOnAverage) const;
    double Path_360() const;
    // Unwraps the angles into a continuous path; when the first angle is at position 0 the
    // path starts at 0. Kind has no effect.
    void Set_Path_360(std::uint8_t Kind);
    std::int32_t Quantum(std::int32_t i_curr, double delta, std::int32_t& i_reach) const;

    // Indicators and forecasts (double_list_indicators.cpp). Null items are passed over and
    // never produced from numbers. A window of -1 (alpha = 2 / 0) raises
    // ListDivisionByZeroError, and SetMovingAverages raises ListError for any other negative
    // window, both before the list is touched.

    // Replaces the items by a moving average over the entry values, alpha = 2 / (_Win + 1);
    // _Win = 0 or an unknown _Type changes nothing.
    //  0: trailing simple mean of the last min(k, _Win) non-null values up to each non-null
    //     item (k = non-null values so far): defined from the first non-null item on, over
    //     fewer values until _Win have been seen; nulls stay. A list without a non-null item
    //     raises ListIndexError(Count).
    //  1: exponential, seeded with item 0 itself (kept as it is, no simple-mean seed) and
    //     restarted with the value itself after every null.
    //  2: centred simple mean of the non-null values within _Win positions either side, null
    //     where there is none; above kWindowLimit it is type 3.
    //  3: type 1 forwards, then the same backwards from the last item over the entry values.
    void SetMovingAverages(std::int32_t _Win, std::int32_t _Type);
    // Over positions iimin..iimax (clamped into the list), _Win above kWindowLimit acting as
    // Kind 1. Kind 0: centred simple mean of the non-null Buffer values within _Win positions
    // either side and inside the range; an item without one keeps its value. Buffer is read as
    // the pass goes, so it should be a copy when it is this list. Kind 1: zero-lag
    // exponential, alpha = 2 / (_Win + 1), a forward pass then a backward pass in place, each
    // step only between two non-null neighbours. Other kinds change nothing.
    void SetNonLagMovingAverages(const TVegaDoubleList& Buffer, std::int32_t _Win,
                                 std::int32_t iimin, std::int32_t iimax, std::uint8_t Kind);
    // Replaces the items by the relative strength index 100 - 100 / (G / L + 1). G and L are
    // exponential averages of the gains and losses between neighbouring non-null items,
    // alpha = 2 / (Win + 1), both seeded at 0 before the first change (not Wilder's seeding
    // with a simple mean); a zero change counts as a loss of 0. Item 0 is null, and so is every
    // item up to the first loss (while L = 0), every null item and the item after it. MA_Kind
    // has no effect.
    void SetRSI(std::int32_t Win, std::int32_t MA_Kind);
    // Autoregressive forecast of order Order fitted exactly on the last 2 * Order items (all
    // of them non-null). False, with both lists untouched, on too short a series, a null in
    // it, an order outside 1..kMaxLinearSystemOrder or a singular system. On success
    // LBeforeLast (when given) is emptied and LAfterLast receives the items followed by up to
    // CountAfterLast - 1 forecasts, the extension stopping after a forecast s with
    // |s| > 12 * (last item). CountBeforeLast has no effect.
    bool AR_Model_Forecast(std::int32_t Order, TVegaDoubleList* LBeforeLast,
                           TVegaDoubleList& LAfterLast, std::int32_t CountBeforeLast,
                           std::int32_t CountAfterLast) const;
    // The one-step forecast of the same fit, or kNullValue when it fails.
    double AR_Model_ForecastNext(std::int32_t Order) const;
    // Fits x[t] = a1 x[t-1] + a2 x[t-2] by least squares over the non-null triples and, when
    // the fit exists and its roots are complex, appends sqrt(-(a1^2 + 4 a2)) / 2 to CyclesL.
    void DominantCycles(TVegaDoubleList& CyclesL) const;

    // Signals (double_list_signals.cpp). Signal lists hold one entry per item: 0 nothing,
    // -1 a trough or buy, +1 a peak or sell. Positions given by the caller are not checked
    // beforehand; reading outside the list raises ListIndexError.

    // Alternating troughs and peaks: a trough is confirmed by a later local maximum more than
    // Delta above it before any lower value, a peak by a later local minimum below its value
    // + Delta before any higher value; neighbours compared are at least two positions away.
    // MinL and SmoothFactor have no effect. An empty list raises ListIndexError(0).
    void GetFilteredWavePoints(double Delta, std::int32_t MinL, std::int32_t SmoothFactor,
                               TVegaIntegerList& FilteredWaveTurnigPoints) const;
    // The first position from from_it on that is a buy point with prev_sell = from_it, or -1.
    std::int32_t Find_Enter_Point(std::int32_t from_it, double Swing) const;
    // Item it is non-null, the lowest non-null value since prev_sell (ties allowed), and the
    // items after it reach it + Swing before falling below it.
    bool This_Buy_Point(std::int32_t prev_sell, std::int32_t it, double Swing) const;
    // The mirror: the highest since prev_buy, reaching it - Swing before rising above it.
    bool This_Sell_Point(std::int32_t prev_buy, std::int32_t it, double Swing) const;
    // Fills LL1 with alternating buys and sells at imin..imax, starting with the entry point.
    // A position takes one signal at most: one that completes a sell is not tested as a buy
    // (both can hold only for Swing <= 0).
    void Find_Buy_Sell_Signals(std::int32_t imin, std::int32_t imax, double Swing,
                               TVegaIntegerList& LL1) const;
    // The items as trade results: each is negated when the VirifySize entry values before it
    // held at least MinError losses (a negated null becomes -1e10).
    void DoSmartInversion(std::int32_t VirifySize, std::int32_t MinError);
    // Tries DoSmartInversion(v, e) on copies for 1 <= e <= v <= MaxVerifySize and keeps the
    // first pair with the most positive items; returns that count, or -1 when nothing was
    // tried (the outputs are then unchanged).
    double OptimizeSmartInvesionParameters(std::int32_t MaxVerifySize, std::int32_t& VirifySize,
                                           std::int32_t& MinError) const;

    // Drawing (double_list_drawing.cpp). Lines join the points of neighbouring positions
    // with the canvas's pen, values growing upwards in R (YMin at the bottom, YMax at the
    // top); a segment is drawn only when both its items are non-null, so a null leaves a gap.
    // Nothing is clipped. With a solid pen one pixel wide, lines of many points reach the
    // canvas as at most four points per pixel column, with the same pixels.

    // Positions evenly spaced over the width of R; nothing unless YMax > YMin.
    void Draw1(Canvas& Canv, const TRect& R, double YMin, double YMax) const;
    // Positions placed by their time in TimeList, TTMin at R.Left and TTMax at R.Right, over
    // the positions both lists have; a segment is drawn when its first time lies within
    // TTMin..TTMax (its second point may lie outside). Nothing unless YMax > YMin.
    void Draw1Rescaled(Canvas& Canv, const TRect& R, double YMin, double YMax, double TTMin,
                       double TTMax, const TVegaDoubleList& TimeList) const;

    // The other segment lines, each a variation of the same walk over segments i -> i + 1:
    // which segments, placed on the whole list, on the positions XMin..XMax or by time, and
    // over which value range (the whole list's, the span's, or given). Positions outside the
    // list (or TimeList) raise ListIndexError.
    void Draw(Canvas& Canv, const TRect& R) const;
    // Span range stored in ViewedMin and ViewedMax.
    void Draw2(Canvas& Canv, const TRect& R, std::int32_t XMin, std::int32_t XMax);
    void Draw2Rescaled(Canvas& Canv, const TRect& R, std::int32_t XMin, std::int32_t XMax,
                       double TTMin, double TTMax, const TVegaDoubleList& TimeList) const;
    // Segments with a time inside the window and a time step below MaxXStep; the range is
    // that of the items inside the window (stored in ViewedMin, ViewedMax).
    void Draw2Rescaled1(Canvas& Canv, const TRect& R, double TTMin, double TTMax,
                        const TVegaDoubleList& TimeList, double MaxXStep);
    // The same with the range given (and stored).
    void Draw2Rescaled10(Canvas& Canv, const TRect& R, double TTMin, double TTMax, double YMin,
                         double YMax, const TVegaDoubleList& TimeList, double MaxXStep);
    void Draw3(Canvas& Canv, const TRect& R, std::int32_t XMin, std::int32_t XMax, double YMin,
               double YMax) const;
    // Draw3 with buy markers (green triangles below the value) at the positions L_Buy lists
    // and sell markers (red triangles above it) at those L_Sell lists.
    void Draw3BuySell(Canvas& Canv, const TRect& R, std::int32_t XMin, std::int32_t XMax,
                      double YMin, double YMax, const TVegaIntegerList& L_Buy,
                      const TVegaIntegerList& L_Sell) const;
    // Segments coloured by their ends' signs: both positive cl_Plus, both negative cl_Minus,
    // else the end of larger magnitude decides (the second on a tie). The pen keeps the last
    // segment's colour.
    void DrawDifferentColor(Canvas& Canv, const TRect& R, TColor cl_Minus, TColor cl_Plus) const;
    void DrawDifferentColor1(Canvas& Canv, const TRect& R, TColor cl_Minus, TColor cl_Plus,
                             double VMin, double VMax, std::int32_t XMin, std::int32_t XMax) const;
    // Segments coloured by the gradient from cl_Minus to cl_Plus at their middle value.
    void DrawDifferentColor10(Canvas& Canv, const TRect& R, TColor cl_Minus, TColor cl_Plus) const;
    void DrawColored1(Canvas& Canv, const TRect& R, TColor cl_Minus, TColor cl_Plus, double VMin,
                      double VMax, std::int32_t XMin, std::int32_t XMax) const;

    // Gap-free lines: one line through every drawable point in order (nulls leave no gap).
    void DrawNoGap(Canvas& Canv, const TRect& R) const;
    // Span range stored in ViewedMin and ViewedMax.
    void Draw2NoGap(Canvas& Canv, const TRect& R, std::int32_t XMin, std::int32_t XMax);
    // Items equal to SkippedValue are not drawn (but count in the range).
    void Draw2SkipNULL(Canvas& Canv, const TRect& R, std::int32_t XMin, std::int32_t XMax,
                       double SkippedValue) const;

    // Coloured columns (double_list_columns.cpp): one column per pair of neighbouring items,
    // over the full height of R, coloured by their middle value: a gradient from BasisColor
    // at 0 to cl_Plus at the list's maximum, or to cl_Minus at its minimum. The pen's width
    // and colour are restored, the brush keeps the last column's colour.
    void DrawColoredBar(Canvas& Canv, const TRect& R, TColor cl_Minus, TColor cl_Plus,
                        TColor BasisColor) const;
    void DrawColoredBar1(Canvas& Canv, const TRect& R, TColor cl_Minus, TColor cl_Plus,
                         std::int32_t XMin, std::int32_t XMax, TColor BasisColor) const;
    void DrawColoredBar1Rescaled(Canvas& Canv, const TRect& R, TColor cl_Minus, TColor cl_Plus,
                                 std::int32_t XMin, std::int32_t XMax, double TTMin, double TTMax,
                                 const TVegaDoubleList& TimeList, TColor BasisColor) const;
    // cl_Plus above 0, cl_Minus below, BasisColor at 0: no gradient.
    void DrawColoredBar1UniColor(Canvas& Canv, const TRect& R, TColor cl_Minus, TColor cl_Plus,
                                 std::int32_t XMin, std::int32_t XMax, TColor BasisColor) const;
    // Fire bars: each item of XMin..XMax a bar from the base line of stacked cells whose
    // colours run from ZeroColor to MaxPlusColor (upwards) or MaxMinusColor (downwards).
    void DrawFire(Canvas& Canv, const TRect& R, std::int32_t XMin, std::int32_t XMax,
                  TColor MaxPlusColor, TColor MaxMinusColor, TColor ZeroColor) const;

    // Distributions (double_list_distributions.cpp; the functions of series_distributions.h
    // over the items with kNullValue as the null). The last item is left out of every
    // histogram. Output lists are cleared and refilled; they may be this list.

    void CalculateDistibution(std::int32_t NCount, double VMin, double VMax,
                              TVegaDoubleList& DistributedValues) const;
    void CalculateDistibutionWithNormalization(std::int32_t NCount, double VMin, double VMax,
                                               const TVegaDoubleList& Norm,
                                               TVegaDoubleList& DistributedValues) const;
    void CalculateCommulativeDistibution(std::int32_t NCount, double VMin, double VMax,
                                         TVegaDoubleList& DistributedValues) const;
    // The fixed-bin histogram over R, its highest count at R.Top: Kind 0 as a line with the
    // canvas's pen through the counts at the bin positions, Kind 1 as columns filled with the
    // brush, column k between bins k and k + 1 as high as bin k + 1. DistributedValues, when
    // given, receives the NCount counts and a final 0. Nothing at all when VMin >= VMax.
    void DrawDistibution(Canvas& Canv, const TRect& R, std::int32_t NCount, double VMin,
                         double VMax, TVegaDoubleList* DistributedValues, std::int32_t Kind) const;
    // The floating-bin histogram as a line over R when a canvas is given, and its values in
    // DistributedValues when given. Nothing at all when VMin >= VMax.
    void DrawDistibutionFloatingBins(Canvas* Canv, const TRect& R, std::int32_t NCount,
                                     std::int32_t NSubdiv, double VMin, double VMax,
                                     std::int32_t HistKind,
                                     TVegaDoubleList* DistributedValues) const;
    // Advances the process-wide pseudo-random generator.
    double GetRandomDistributed(std::int32_t NCount, double VMin, double VMax) const;
    std::int32_t Amount_Points_Inside_Interval(double YMin, double YMax) const;
    void GetMinMaxDistributed(std::uint8_t Per, std::int32_t MaxOutPoints, double& XMin,
                              double& XMax) const;
    // Removes at once every item strictly outside GetMinMaxDistributed's range; nulls lie
    // outside any ordinary range.
    void DeleteExtremeValues(std::uint8_t Per, std::int32_t MaxOutPoints);

    // Free slots for the owner; the library never reads them.
    double UMinV = 0;
    double UMaxV = 0;
    double UserV1 = kNullValue;
    double UserV2 = 0;
    std::int32_t Tag = 0;
    // The value range of the last ranged drawing.
    double ViewedMin = 0;
    double ViewedMax = 0;
    // Attached by the owner; never owned or freed by the list.
    void* PP = nullptr;

  private:
    // The coloured segments of the whole list over its own range; colourFor(lo, hi) makes
    // the colour rule.
    template <class ColourFor>
    void DrawWholeListColoured(Canvas& Canv, const TRect& R, ColourFor colourFor) const;
    // One line through the points of XMin..XMax that drawable accepts, on the span's scale
    // and the range lo..hi (nothing unless hi > lo).
    template <class Drawable>
    void DrawGapFree(Canvas& Canv, const TRect& R, std::int32_t XMin, std::int32_t XMax, double lo,
                     double hi, Drawable drawable) const;
    // The time-window segments of Draw2Rescaled1 and Draw2Rescaled10.
    void DrawTimeWindow(Canvas& Canv, const TRect& R, double TTMin, double TTMax, double YMin,
                        double YMax, const TVegaDoubleList& TimeList, double MaxXStep) const;
    std::vector<double> FList;
};

}  // namespace vela
