#include "app/control_persistence.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTextEdit>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <iterator>
#include <optional>
#include <string>

#include "app/control_kinds.h"
#include "app/h_edit_mask.h"
#include "app/long_edit_mask.h"
#include "app/num_inp.h"
#include "chart/bar_under_mouse.h"
#include "settings/desktop_layout.h"
#include "settings/extended_ini_file.h"

namespace vela::app {

namespace {

constexpr char kLineDelimiter = '~';

std::string Utf8(const QString& s) {
    return s.toUtf8().toStdString();
}

QString FromUtf8(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

std::vector<std::string> LinesOf(const QString& text) {
    std::vector<std::string> lines;
    if (text.isEmpty()) return lines;
    for (const QString& line : text.split('\n')) lines.push_back(Utf8(line));
    return lines;
}

QString JoinLines(const std::vector<std::string>& lines) {
    QStringList out;
    for (const std::string& line : lines) out.append(FromUtf8(line));
    return out.join('\n');
}

// Plain edits only: the input controls are line edits underneath but have kinds of their own.
QLineEdit* PlainLineEdit(QObject* c) {
    if (dynamic_cast<THEditMask*>(c) || dynamic_cast<TLongEditMask*>(c) ||
        dynamic_cast<TCustomNumInp*>(c))
        return nullptr;
    return dynamic_cast<QLineEdit*>(c);
}

QListWidget* PlainListBox(QObject* c) {
    if (dynamic_cast<TCheckListBox*>(c)) return nullptr;
    return dynamic_cast<QListWidget*>(c);
}

QComboBox* PlainComboBox(QObject* c) {
    if (dynamic_cast<TColorComboBox*>(c)) return nullptr;
    return dynamic_cast<QComboBox*>(c);
}

}  // namespace

void WriteControls(TSpecIniFile& ini, std::string_view Section,
                   const std::vector<QObject*>& Controls) {
    for (QObject* c : Controls) {
        if (c == nullptr || c->objectName().isEmpty()) continue;
        const std::string key = Utf8(c->objectName());
        if (auto* color = dynamic_cast<TColorComboBox*>(c)) {
            ini.WriteInteger(Section, key, color->Selected());
        } else if (auto* hmask = dynamic_cast<THEditMask*>(c)) {
            ini.WriteDouble(Section, key, hmask->ValueDouble());
        } else if (auto* pages = dynamic_cast<QTabWidget*>(c)) {
            ini.WriteInteger(Section, key, pages->currentIndex());
        } else if (auto* lmask = dynamic_cast<TLongEditMask*>(c)) {
            ini.WriteInteger(Section, key, lmask->GetValue());
        } else if (auto* check = dynamic_cast<QCheckBox*>(c)) {
            ini.WriteBool(Section, key, check->isChecked());
        } else if (auto* combo = PlainComboBox(c)) {
            ini.WriteInteger(Section, key, combo->currentIndex());
        } else if (auto* spin = dynamic_cast<QSpinBox*>(c)) {
            ini.WriteInteger(Section, key, spin->value());
        } else if (auto* num = dynamic_cast<TCustomNumInp*>(c)) {
            ini.WriteDouble(Section, key, ClampToDouble(num->Value()));
        } else if (auto* list = PlainListBox(c)) {
            ini.WriteInteger(Section, key, list->currentRow());
        } else if (auto* scroll = dynamic_cast<QScrollBar*>(c)) {
            ini.WriteInteger(Section, key, scroll->value());
        } else if (auto* checks = dynamic_cast<TCheckListBox*>(c)) {
            std::vector<std::pair<std::string, bool>> items;
            for (int i = 0; i < checks->count(); ++i)
                items.emplace_back(Utf8(checks->item(i)->text()), checks->Checked(i));
            ini.WriteString(Section, key, CheckListValue(items));
        } else if (auto* edit = PlainLineEdit(c)) {
            ini.WriteString(Section, key, Utf8(edit->text()));
        } else if (auto* memo = dynamic_cast<QPlainTextEdit*>(c)) {
            ini.WriteStrings(Section, key, LinesOf(memo->toPlainText()), kLineDelimiter);
        } else if (auto* rich = dynamic_cast<QTextEdit*>(c)) {
            ini.WriteStrings(Section, key, LinesOf(rich->toPlainText()), kLineDelimiter);
        } else if (auto* shape = dynamic_cast<TShape*>(c)) {
            ini.WriteInteger(Section, key, shape->BrushColor());
        }
        if (auto* track = dynamic_cast<QSlider*>(c)) ini.WriteInteger(Section, key, track->value());
    }
}

void ReadControls(TSpecIniFile& ini, std::string_view Section,
                  const std::vector<QObject*>& Controls) {
    for (QObject* c : Controls) {
        if (c == nullptr || c->objectName().isEmpty()) continue;
        const std::string key = Utf8(c->objectName());
        if (auto* color = dynamic_cast<TColorComboBox*>(c)) {
            color->SetSelected(ini.ReadInteger(Section, key, color->Selected()));
        } else if (auto* hmask = dynamic_cast<THEditMask*>(c)) {
            double d = 0;
            hmask->SetValue(ini.ReadDouble(Section, key, hmask->ValueDouble(), d));
        } else if (auto* pages = dynamic_cast<QTabWidget*>(c)) {
            const int index = ini.ReadInteger(Section, key, -1);
            if (index != -1) pages->setCurrentIndex(index);
        } else if (auto* lmask = dynamic_cast<TLongEditMask*>(c)) {
            lmask->SetValue(ini.ReadInteger(Section, key, lmask->GetValue()));
        } else if (auto* check = dynamic_cast<QCheckBox*>(c)) {
            check->setChecked(ini.ReadBool(Section, key, check->isChecked()));
        } else if (auto* shape = dynamic_cast<TShape*>(c)) {
            shape->SetBrushColor(ini.ReadInteger(Section, key, shape->BrushColor()));
        } else if (auto* combo = PlainComboBox(c)) {
            combo->setCurrentIndex(ini.ReadInteger(Section, key, combo->currentIndex()));
        } else if (auto* spin = dynamic_cast<QSpinBox*>(c)) {
            spin->setValue(ini.ReadInteger(Section, key, spin->value()));
        } else if (auto* num = dynamic_cast<TCustomNumInp*>(c)) {
            double d = 0;
            num->SetValue(ini.ReadDouble(Section, key, ClampToDouble(num->Value()), d));
        } else if (auto* list = PlainListBox(c)) {
            list->setCurrentRow(ini.ReadInteger(Section, key, list->currentRow()));
        } else if (auto* scroll = dynamic_cast<QScrollBar*>(c)) {
            scroll->setValue(ini.ReadInteger(Section, key, scroll->value()));
        } else if (auto* checks = dynamic_cast<TCheckListBox*>(c)) {
            const std::string value = ini.ReadString(Section, key, "");
            for (int i = 0; i < checks->count(); ++i)
                checks->SetChecked(i, CheckListItemChecked(value, Utf8(checks->item(i)->text())));
        } else if (auto* edit = PlainLineEdit(c)) {
            try {
                edit->setText(FromUtf8(ini.ReadString(Section, key, Utf8(edit->text()))));
            } catch (...) {  // a text that cannot be restored leaves the edit as it was
            }
        }
        if (auto* track = dynamic_cast<QSlider*>(c)) {
            track->setValue(ini.ReadInteger(Section, key, track->value()));
        } else if (auto* memo = dynamic_cast<QPlainTextEdit*>(c)) {
            try {
                std::vector<std::string> lines;
                ini.ReadStrings(Section, key, lines, kLineDelimiter);
                memo->setPlainText(JoinLines(lines));
            } catch (...) {  // as the edit: the lines are kept as they were
            }
        } else if (auto* rich = dynamic_cast<QTextEdit*>(c)) {
            try {
                std::vector<std::string> lines;
                ini.ReadStrings(Section, key, lines, kLineDelimiter);
                rich->setPlainText(JoinLines(lines));
            } catch (...) {
            }
        }
    }
}

namespace {

constexpr std::string_view kStyleKey = "ChartStyle";
constexpr std::string_view kVolumeKey = "ChartVolume";
constexpr std::string_view kAveragesKey = "ChartAverages";
constexpr std::string_view kRsiKey = "ChartRSI";
constexpr std::string_view kCrosshairKey = "ChartCrosshair";
constexpr std::string_view kFullTimeAxisKey = "ChartFullTimeAxis";
constexpr std::string_view kLogScaleKey = "ChartLogScale";
constexpr std::string_view kViewKey = "ChartView";
constexpr std::string_view kAlertsKey = "ChartAlerts";
constexpr std::string_view kExtrasKeys[] = {kStyleKey,     kVolumeKey,       kAveragesKey, kRsiKey,
                                            kCrosshairKey, kFullTimeAxisKey, kLogScaleKey};

}  // namespace

void WriteChartExtras(TSpecIniFile& ini, std::string_view Section, const ChartExtras& extras) {
    if (!extras.AnyOn()) {
        std::vector<std::string> keys;
        ini.ReadSection(Section, keys);
        const bool left = std::any_of(keys.begin(), keys.end(), [](const std::string& key) {
            return std::find(std::begin(kExtrasKeys), std::end(kExtrasKeys), key) !=
                   std::end(kExtrasKeys);
        });
        if (!left) return;
    }
    ini.WriteInteger(Section, kStyleKey, static_cast<std::int32_t>(extras.Style));
    ini.WriteBool(Section, kVolumeKey, extras.Volume);
    ini.WriteString(Section, kAveragesKey, AveragesValue(extras.Averages));
    ini.WriteInteger(Section, kRsiKey, extras.RsiWindow);
    ini.WriteBool(Section, kCrosshairKey, extras.Crosshair);
    ini.WriteBool(Section, kFullTimeAxisKey, extras.FullTimeAxis);
    ini.WriteBool(Section, kLogScaleKey, extras.LogScale);
}

void WriteChartView(TSpecIniFile& ini, std::string_view Section, const std::string& view) {
    // A desktop of whole histories stays as it always was, unless it held a view before.
    if (view.empty()) {
        std::vector<std::string> keys;
        ini.ReadSection(Section, keys);
        if (std::find(keys.begin(), keys.end(), kViewKey) == keys.end()) return;
    }
    ini.WriteString(Section, kViewKey, view);
}

std::string ReadChartView(TSpecIniFile& ini, std::string_view Section) {
    return ini.ReadString(Section, kViewKey, "");
}

namespace {

// The shortest text that reads back as the very same double.
std::string ExactText(double v) {
    char buf[32];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
    return ec == std::errc() ? std::string(buf, end) : std::string("0");
}

std::optional<double> ExactNumber(std::string_view text) {
    double v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || !std::isfinite(v))
        return std::nullopt;
    return v;
}

std::vector<std::string_view> SplitOn(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    while (true) {
        const std::size_t at = text.find(separator);
        if (!text.substr(0, at).empty()) parts.push_back(text.substr(0, at));
        if (at == std::string_view::npos) return parts;
        text.remove_prefix(at + 1);
    }
}

}  // namespace

std::string AlertsValue(const std::vector<PriceAlert>& alerts) {
    std::string value;
    for (const PriceAlert& a : alerts) {
        if (!value.empty()) value += ';';
        value += ExactText(a.Level);
        if (!a.Fired) {
            value += " armed";
            continue;
        }
        value += a.Direction == AlertDirection::FromBelow ? " fired below " : " fired above ";
        value += ExactText(a.Last);
    }
    return value;
}

std::vector<PriceAlert> AlertsFromValue(std::string_view value) {
    std::vector<PriceAlert> alerts;
    for (const std::string_view entry : SplitOn(value, ';')) {
        const std::vector<std::string_view> words = SplitOn(entry, ' ');
        if (words.empty()) continue;
        const std::optional<double> level = ExactNumber(words[0]);
        if (!level) continue;
        PriceAlert a;
        a.Level = *level;
        // Anything but a whole fired entry is an armed alert: it waits rather than keeps quiet.
        if (words.size() == 4 && words[1] == "fired" &&
            (words[2] == "below" || words[2] == "above"))
            if (const std::optional<double> last = ExactNumber(words[3])) {
                a.Fired = true;
                a.Direction =
                    words[2] == "below" ? AlertDirection::FromBelow : AlertDirection::FromAbove;
                a.Last = *last;
            }
        alerts.push_back(a);
    }
    return alerts;
}

void WriteChartAlerts(TSpecIniFile& ini, std::string_view Section,
                      const std::vector<PriceAlert>& alerts) {
    // A desktop without alerts stays as it always was, unless it held some before.
    if (alerts.empty()) {
        std::vector<std::string> keys;
        ini.ReadSection(Section, keys);
        if (std::find(keys.begin(), keys.end(), kAlertsKey) == keys.end()) return;
    }
    ini.WriteString(Section, kAlertsKey, AlertsValue(alerts));
}

std::vector<PriceAlert> ReadChartAlerts(TSpecIniFile& ini, std::string_view Section) {
    return AlertsFromValue(ini.ReadString(Section, kAlertsKey, ""));
}

ChartExtras ReadChartExtras(TSpecIniFile& ini, std::string_view Section) {
    ChartExtras extras;
    switch (ini.ReadInteger(Section, kStyleKey, 0)) {
        case static_cast<std::int32_t>(BarStyle::Ohlc):
            extras.Style = BarStyle::Ohlc;
            break;
        case static_cast<std::int32_t>(BarStyle::Candles):
            extras.Style = BarStyle::Candles;
            break;
        default:
            break;
    }
    extras.Volume = ini.ReadBool(Section, kVolumeKey, false);
    extras.Averages = AveragesFromValue(ini.ReadString(Section, kAveragesKey, ""));
    // An RSI needs two bars at least; anything else in the file is no RSI.
    const std::int32_t rsi = ini.ReadInteger(Section, kRsiKey, 0);
    extras.RsiWindow = rsi >= 2 && rsi <= 1000 ? rsi : 0;
    extras.Crosshair = ini.ReadBool(Section, kCrosshairKey, false);
    extras.FullTimeAxis = ini.ReadBool(Section, kFullTimeAxisKey, false);
    extras.LogScale = ini.ReadBool(Section, kLogScaleKey, false);
    return extras;
}

}  // namespace vela::app
