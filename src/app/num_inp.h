#pragma once

#include <QLineEdit>
#include <cstdint>
#include <string>

#include "app/qt_input_feedback.h"
#include "controls/num_inp_engine.h"

namespace vela::app {

// The numeric edit: a line edit that hands keys, focus changes, paste and its painting
// without the focus to a NumInpEngine and shows what the engine holds. Numbers follow the
// widget's locale (QLocale, the user's by default); refusals beep or show message boxes.
class TCustomNumInp : public QLineEdit {
    Q_OBJECT
  public:
    explicit TCustomNumInp(QWidget* parent = nullptr);

    TAlignment Alignment() const { return engine_.Alignment(); }
    void SetAlignment(TAlignment alignment);
    bool AutoSelect() const { return engine_.AutoSelect(); }
    void SetAutoSelect(bool on) { engine_.SetAutoSelect(on); }
    TDataType Datatype() const { return engine_.Datatype(); }
    void SetDatatype(TDataType type);
    std::uint16_t Decimals() const { return engine_.Decimals(); }
    void SetDecimals(std::uint16_t decimals);
    std::uint16_t Digits() const { return engine_.Digits(); }
    void SetDigits(std::uint16_t digits);
    long double Max() const { return engine_.Max(); }
    void SetMax(long double max);
    long double Min() const { return engine_.Min(); }
    void SetMin(long double min);
    TColor NegativeColor() const { return engine_.NegativeColor(); }
    void SetNegativeColor(TColor color);
    TNumericType NumericType() const { return engine_.NumericType(); }
    void SetNumericType(TNumericType type);
    bool TabOnEnterKey() const { return engine_.TabOnEnterKey(); }
    void SetTabOnEnterKey(bool on) { engine_.SetTabOnEnterKey(on); }
    bool UseMsgBox() const { return engine_.UseMsgBox(); }
    void SetUseMsgBox(bool on) { engine_.SetUseMsgBox(on); }
    bool Validate() const { return engine_.Validate(); }
    void SetValidate(bool on);
    long double Value() const { return engine_.Value(); }
    void SetValue(long double value);

    std::uint8_t AsByte() const { return engine_.AsByte(); }
    std::int8_t AsShortInt() const { return engine_.AsShortInt(); }
    std::uint16_t AsWord() const { return engine_.AsWord(); }
    std::int32_t AsInteger() const { return engine_.AsInteger(); }
    std::int32_t AsLongint() const { return engine_.AsLongint(); }
    float AsSingle() const { return engine_.AsSingle(); }
    double AsDouble() const { return engine_.AsDouble(); }
    double AsReal() const { return engine_.AsReal(); }
    bool Valid(long double value) { return engine_.Valid(value); }
    std::string AsMoneyStr();

    const NumInpEngine& Engine() const { return engine_; }
    // Where beeps and messages go; nullptr restores QApplication's beep and message boxes.
    void SetInputFeedback(InputFeedback* feedback);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    void PullEditState();
    void PushEditState();
    void Act(KeyAction action);
    void UpdateTextMargin();

    QtInputFeedback qtFeedback_;
    NumInpEngine engine_;
    bool checkingExit_ = false;
    bool entered_ = false;  // entered and not yet left, for the engine
};

// The numeric edit with its settings as properties, by the names settings files use.
class TNumInp : public TCustomNumInp {
    Q_OBJECT
    Q_PROPERTY(int Alignment READ AlignmentIndex WRITE SetAlignmentIndex)
    Q_PROPERTY(int Datatype READ DatatypeIndex WRITE SetDatatypeIndex)
    Q_PROPERTY(int Decimals READ Decimals WRITE SetDecimalsValue)
    Q_PROPERTY(int Digits READ Digits WRITE SetDigitsValue)
    Q_PROPERTY(double Max READ MaxDouble WRITE SetMaxDouble)
    Q_PROPERTY(double Min READ MinDouble WRITE SetMinDouble)
    Q_PROPERTY(int NegativeColor READ NegativeColor WRITE SetNegativeColor)
    Q_PROPERTY(int NumericType READ NumericTypeIndex WRITE SetNumericTypeIndex)
    Q_PROPERTY(bool TabOnEnterKey READ TabOnEnterKey WRITE SetTabOnEnterKey)
    Q_PROPERTY(double Value READ ValueDouble WRITE SetValueDouble)
    Q_PROPERTY(bool Validate READ Validate WRITE SetValidate)
    Q_PROPERTY(bool UseMsgBox READ UseMsgBox WRITE SetUseMsgBox)
  public:
    using TCustomNumInp::TCustomNumInp;

    // Extended values as doubles: beyond the double range they become the largest double.
    double ValueDouble() const { return ClampToDouble(Value()); }
    void SetValueDouble(double value) { SetValue(value); }
    double MaxDouble() const { return ClampToDouble(Max()); }
    void SetMaxDouble(double value) { SetMax(value); }
    double MinDouble() const { return ClampToDouble(Min()); }
    void SetMinDouble(double value) { SetMin(value); }

  private:
    int AlignmentIndex() const { return static_cast<int>(Alignment()); }
    void SetAlignmentIndex(int i);
    int DatatypeIndex() const { return static_cast<int>(Datatype()); }
    void SetDatatypeIndex(int i);
    int NumericTypeIndex() const { return static_cast<int>(NumericType()); }
    void SetNumericTypeIndex(int i);
    void SetDecimalsValue(int n);
    void SetDigitsValue(int n);
};

}  // namespace vela::app
