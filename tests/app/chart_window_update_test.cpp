#include <QSpinBox>

#include "app/app_fixture.h"
#include "app/bar_table_model.h"
#include "app/chart_window.h"
#include "app/main_window.h"
#include "market/esignal_downloader.h"

namespace vela::app {
namespace {

using ChartWindowUpdateTest = AppFixture;

// An update that arrives while UpdateChart pumps messages must not run nested (every table
// line would be built twice over); it runs once more afterwards instead.
TEST_F(ChartWindowUpdateTest, UpdateArrivingInsideAnUpdateRunsAfterIt) {
    TForm2 main;
    TForm1* form = main.BitBtn1Click();
    form->SpinEdit1->setValue(20);
    form->BitBtn1Click();
    ASSERT_EQ(form->Table()->LineCount(), 20);

    int nested = 0;
    CurrentMessageLoop().Post([form, &nested] {
        ++nested;
        form->UpdateChart();  // arrives while the outer update pumps
    });
    form->UpdateChart();
    EXPECT_EQ(nested, 1);
    EXPECT_EQ(form->Table()->LineCount(), 20);
    EXPECT_EQ(form->State().LClose.Count(), 35);
}

}  // namespace
}  // namespace vela::app
