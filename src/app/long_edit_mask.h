#pragma once

#include <QLineEdit>
#include <cstdint>

#include "app/qt_input_feedback.h"
#include "controls/long_edit_mask_engine.h"

namespace vela::app {

// The bounded integer mask edit: a line edit checked through a LongEditMaskEngine when the
// focus leaves it; its input mask comes with the first check.
class TLongEditMask : public QLineEdit {
    Q_OBJECT
    Q_PROPERTY(int Value READ GetValue WRITE SetValue)
    Q_PROPERTY(int MaxValue READ GetMaxValue WRITE SetMaxValue)
    Q_PROPERTY(int MinValue READ GetMinValue WRITE SetMinValue)
    Q_PROPERTY(int MaxMinValue READ LongTypeIndex WRITE SetLongTypeIndex)
  public:
    explicit TLongEditMask(QWidget* parent = nullptr);

    std::int32_t GetValue() const { return engine_.GetValue(); }
    void SetValue(std::int32_t value);
    std::int32_t GetMaxValue() const { return engine_.GetMaxValue(); }
    void SetMaxValue(std::int32_t value) { engine_.SetMaxValue(value); }
    std::int32_t GetMinValue() const { return engine_.GetMinValue(); }
    void SetMinValue(std::int32_t value) { engine_.SetMinValue(value); }
    TLongType GetLongType() const { return engine_.GetLongType(); }
    void SetLongType(TLongType type);

    const LongEditMaskEngine& Engine() const { return engine_; }
    // Where beeps go; nullptr restores QApplication's beep.
    void SetInputFeedback(InputFeedback* feedback);

  protected:
    void focusOutEvent(QFocusEvent* event) override;

  private:
    int LongTypeIndex() const { return static_cast<int>(GetLongType()); }
    void SetLongTypeIndex(int i);
    void Show();

    QtInputFeedback qtFeedback_;
    LongEditMaskEngine engine_;
};

}  // namespace vela::app
