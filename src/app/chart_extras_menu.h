#pragma once

#include <functional>
#include <string>
#include <vector>

#include "chart/chart_state.h"

class QMenu;
class QWidget;

namespace vela::app {

// One entry of a chart's context menu: a checkable action that reads and sets one extra.
struct ChartExtrasAction {
    const char* Name;     // the QAction's object name
    const char* Text;     // what the menu shows
    const char* Submenu;  // the submenu it sits in; nullptr: the menu itself
    bool Exclusive;       // one of a group of which exactly one is on (the styles)
    std::function<bool(const ChartExtras&)> IsOn;
    std::function<void(ChartExtras&, bool on)> Set;
    // Whether it can be chosen now; empty: always.
    std::function<bool(const ChartExtras&)> Enabled;
};

// Every entry, in menu order.
const std::vector<ChartExtrasAction>& ChartExtrasActions();

// Builds the chart's context menu from the table and keeps its checks in step with the
// extras: the same entries make the menu and check it.
class ChartExtrasMenu {
  public:
    using Get = std::function<ChartExtras()>;
    using Set = std::function<void(const ChartExtras&)>;

    ChartExtrasMenu(QWidget* parent, Get get, Set set);

    QMenu* Menu() const { return menu_; }
    // Checks and enables each entry as the extras now are.
    void Sync();

  private:
    QMenu* menu_ = nullptr;  // owned by the parent widget
    Get get_;
    Set set_;
};

}  // namespace vela::app
