#pragma once

#include <QLineEdit>

#include "app/qt_input_feedback.h"
#include "controls/h_edit_mask_engine.h"
#include "controls/number_formats.h"

namespace vela::app {

// The time and angle mask edit: a line edit with the type's input mask that checks its text
// through an HEditMaskEngine when the focus leaves it. Assign EditMaskType first: until then
// the edit has no mask.
class THEditMask : public QLineEdit {
    Q_OBJECT
    Q_PROPERTY(int EditMaskType READ EditMaskTypeIndex WRITE SetEditMaskTypeIndex)
    Q_PROPERTY(double Value READ ValueDouble WRITE SetValueDouble)
    Q_PROPERTY(double MaxValue READ MaxValueDouble WRITE SetMaxValueDouble)
    Q_PROPERTY(double RealValue READ GetRealValue)
  public:
    explicit THEditMask(QWidget* parent = nullptr);

    THEditMaskType GetHEditMaskType() const { return engine_.GetHEditMaskType(); }
    void SetHEditMaskType(THEditMaskType type);
    long double GetValue() const { return engine_.GetValue(); }
    void SetValue(long double value);
    long double GetMaxValue() const { return engine_.GetMaxValue(); }
    void SetMaxValue(long double value) { engine_.SetMaxValue(value); }
    double GetRealValue() const { return engine_.GetRealValue(); }

    // The value as a double, beyond the double range the largest double.
    double ValueDouble() const { return ClampToDouble(GetValue()); }
    void SetValueDouble(double value) { SetValue(value); }
    double MaxValueDouble() const { return ClampToDouble(GetMaxValue()); }
    void SetMaxValueDouble(double value) { SetMaxValue(value); }

    const HEditMaskEngine& Engine() const { return engine_; }
    // Where beeps go; nullptr restores QApplication's beep.
    void SetInputFeedback(InputFeedback* feedback);

  protected:
    void focusOutEvent(QFocusEvent* event) override;

  private:
    int EditMaskTypeIndex() const { return static_cast<int>(GetHEditMaskType()); }
    void SetEditMaskTypeIndex(int i);
    void Show();

    QtInputFeedback qtFeedback_;
    HEditMaskEngine engine_;
};

}  // namespace vela::app
