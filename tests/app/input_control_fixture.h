#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QWidget>

#include "platform/recording_input_feedback.h"

namespace vela::app {

// A shown, active form with the control under test and a plain edit after it to move the
// focus to; the control starts with the focus and reports to recording feedback.
template <typename Control>
class InputControlFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        auto* layout = new QVBoxLayout(&form_);
        control_ = new Control(&form_);
        next_ = new QLineEdit(&form_);
        layout->addWidget(control_);
        layout->addWidget(next_);
        control_->SetInputFeedback(&feedback_);
        form_.resize(240, 90);
        form_.show();
        QApplication::setActiveWindow(&form_);
        control_->setFocus();
        ASSERT_EQ(QApplication::focusWidget(), control_);
    }

    // Declared first so that it outlives the form's controls.
    RecordingInputFeedback feedback_;
    QWidget form_;
    Control* control_ = nullptr;
    QLineEdit* next_ = nullptr;
};

}  // namespace vela::app
