#include <gtest/gtest.h>

#include <QMdiArea>

#include "app/display_check.h"
#include "app/main_window.h"

namespace vela::app {
namespace {

TEST(MainWindow, CaptionAndMdiArea) {
    TForm2 form;
    EXPECT_EQ(form.windowTitle(), "Vela eSignal Monitor");
    EXPECT_NE(form.MdiArea(), nullptr);
}

TEST(DisplayCheck, OffscreenNeedsNoDisplay) {
    // The test main sets the offscreen platform.
    EXPECT_EQ(MissingDisplayReason(), "");
}

}  // namespace
}  // namespace vela::app
