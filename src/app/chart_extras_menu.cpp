#include "app/chart_extras_menu.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QWidget>
#include <algorithm>
#include <map>
#include <string>

namespace vela::app {

namespace {

constexpr std::size_t kMaxAverages = 3;
constexpr std::int32_t kRsiWindow = 14;

ChartExtrasAction StyleAction(const char* name, const char* text, BarStyle style) {
    return {name,
            text,
            "Style",
            true,
            [style](const ChartExtras& e) { return e.Style == style; },
            [style](ChartExtras& e, bool) { e.Style = style; },
            {}};
}

ChartExtrasAction AverageAction(const char* name, const char* text, ChartAverage average) {
    const auto has = [average](const ChartExtras& e) {
        return std::find(e.Averages.begin(), e.Averages.end(), average) != e.Averages.end();
    };
    return {name,
            text,
            "Moving averages",
            false,
            has,
            [average](ChartExtras& e, bool on) {
                auto& list = e.Averages;
                const auto found = std::find(list.begin(), list.end(), average);
                if (on && found == list.end() && list.size() < kMaxAverages)
                    list.push_back(average);
                else if (!on && found != list.end())
                    list.erase(found);
            },
            [has](const ChartExtras& e) { return has(e) || e.Averages.size() < kMaxAverages; }};
}

ChartExtrasAction Switch(const char* name, const char* text, bool ChartExtras::*field) {
    return {name,
            text,
            nullptr,
            false,
            [field](const ChartExtras& e) { return e.*field; },
            [field](ChartExtras& e, bool on) { e.*field = on; },
            {}};
}

}  // namespace

const std::vector<ChartExtrasAction>& ChartExtrasActions() {
    static const std::vector<ChartExtrasAction> actions = {
        StyleAction("ActionLine", "Line", BarStyle::Line),
        StyleAction("ActionOhlc", "OHLC bars", BarStyle::Ohlc),
        StyleAction("ActionCandles", "Candles", BarStyle::Candles),
        Switch("ActionVolume", "Volume", &ChartExtras::Volume),
        AverageAction("ActionSma20", "SMA 20", {0, 20}),
        AverageAction("ActionSma50", "SMA 50", {0, 50}),
        AverageAction("ActionSma200", "SMA 200", {0, 200}),
        AverageAction("ActionEma20", "EMA 20", {1, 20}),
        {"ActionRsi",
         "RSI 14",
         nullptr,
         false,
         [](const ChartExtras& e) { return e.RsiWindow > 0; },
         [](ChartExtras& e, bool on) { e.RsiWindow = on ? kRsiWindow : 0; },
         {}},
        Switch("ActionCrosshair", "Crosshair", &ChartExtras::Crosshair),
        Switch("ActionFullTimeAxis", "Time axis over the whole view", &ChartExtras::FullTimeAxis),
        Switch("ActionLogScale", "Log scale", &ChartExtras::LogScale),
    };
    return actions;
}

ChartExtrasMenu::ChartExtrasMenu(QWidget* parent, Get get, Set set)
    : menu_(new QMenu(parent)), get_(std::move(get)), set_(std::move(set)) {
    menu_->setObjectName("ExtrasMenu");
    std::map<std::string, QMenu*> submenus;
    std::map<std::string, QActionGroup*> groups;
    for (const ChartExtrasAction& entry : ChartExtrasActions()) {
        QMenu* in = menu_;
        if (entry.Submenu != nullptr) {
            QMenu*& sub = submenus[entry.Submenu];
            if (sub == nullptr) sub = menu_->addMenu(entry.Submenu);
            in = sub;
        }
        QAction* action = in->addAction(entry.Text);
        action->setObjectName(entry.Name);
        action->setCheckable(true);
        if (entry.Exclusive) {
            QActionGroup*& group = groups[entry.Submenu != nullptr ? entry.Submenu : ""];
            if (group == nullptr) group = new QActionGroup(in);
            group->addAction(action);
        }
        const ChartExtrasAction* e = &entry;  // the table lives as long as the program
        QObject::connect(action, &QAction::triggered, menu_, [this, e](bool on) {
            ChartExtras extras = get_();
            e->Set(extras, on);
            set_(extras);
        });
    }
    Sync();
}

void ChartExtrasMenu::Sync() {
    const ChartExtras extras = get_();
    for (const ChartExtrasAction& entry : ChartExtrasActions()) {
        auto* action = menu_->findChild<QAction*>(entry.Name);
        if (action == nullptr) continue;
        action->setChecked(entry.IsOn(extras));
        action->setEnabled(!entry.Enabled || entry.Enabled(extras));
    }
}

}  // namespace vela::app
