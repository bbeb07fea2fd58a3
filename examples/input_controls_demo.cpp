// A form with the input controls in a few configurations, to try them by hand.
//   vela-input-controls                    opens the form
//   vela-input-controls --screenshot FILE  writes the form as a PNG and exits
//   vela-input-controls --locale de_DE     numbers as in another locale than the user's

#include <QApplication>
#include <QFormLayout>
#include <QLabel>
#include <QLocale>
#include <QPixmap>
#include <QStringList>
#include <QWidget>
#include <memory>

#include "app/h_edit_mask.h"
#include "app/long_edit_mask.h"
#include "app/num_inp.h"

using namespace vela;
using namespace vela::app;

namespace {

QString ToText(const std::string& s) {
    return QString::fromStdString(s);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const qsizetype at = args.indexOf(QStringLiteral("--screenshot"));
    const QString screenshot = at >= 0 && at + 1 < args.size() ? args[at + 1] : QString();
    const qsizetype localeAt = args.indexOf(QStringLiteral("--locale"));
    if (localeAt >= 0 && localeAt + 1 < args.size())
        QLocale::setDefault(QLocale(args[localeAt + 1]));

    QWidget form;
    form.setWindowTitle(QStringLiteral("Vela input controls"));
    auto* layout = new QFormLayout(&form);

    auto* general = new TNumInp(&form);
    layout->addRow(QStringLiteral("General, 0..100"), general);

    auto* fixed = new TNumInp(&form);
    fixed->SetMin(-1000);
    fixed->SetMax(1000);
    fixed->SetNumericType(TNumericType::ntFixed);
    fixed->SetNegativeColor(clRed);
    fixed->SetAlignment(TAlignment::taRightJustify);
    fixed->SetTabOnEnterKey(true);
    fixed->SetValue(-12.5L);
    layout->addRow(QStringLiteral("Fixed, right, red below 0, Enter moves on"), fixed);

    auto* money = new TNumInp(&form);
    money->SetMax(1e8L);
    money->SetNumericType(TNumericType::ntCurrency);
    money->SetAlignment(TAlignment::taCenter);
    money->SetUseMsgBox(true);
    money->SetValue(1234.56L);
    auto* words = new QLabel(&form);
    layout->addRow(QStringLiteral("Currency, centred, message boxes"), money);
    layout->addRow(QStringLiteral("In words"), words);

    auto* exponent = new TNumInp(&form);
    exponent->SetMax(1e30L);
    exponent->SetDigits(6);
    exponent->SetNumericType(TNumericType::ntExponent);
    exponent->SetValue(6.02214e23L);
    layout->addRow(QStringLiteral("Exponent, 6 digits"), exponent);

    auto* byte = new TNumInp(&form);
    byte->SetDatatype(TDataType::dtByte);
    byte->SetMax(255);
    byte->SetValue(200);
    layout->addRow(QStringLiteral("Byte, 0..255"), byte);

    auto* time = new THEditMask(&form);
    time->SetHEditMaskType(THEditMaskType::H24);
    time->SetValue(12.3015L);
    layout->addRow(QStringLiteral("Time of day (H24)"), time);

    auto* angle = new THEditMask(&form);
    angle->SetHEditMaskType(THEditMaskType::LPlusMinus360);
    angle->SetValue(-5.3L);
    layout->addRow(QStringLiteral("Angle (LPlusMinus360)"), angle);

    auto* far = new THEditMask(&form);
    far->SetHEditMaskType(THEditMaskType::L10000);
    far->SetValue(123.45L);
    auto* decimal = new QLabel(&form);
    layout->addRow(QStringLiteral("Degrees (L10000)"), far);
    layout->addRow(QStringLiteral("Decimal degrees"), decimal);

    auto* month = new TLongEditMask(&form);
    month->SetLongType(TLongType::L_1_12);
    month->SetValue(5);
    layout->addRow(QStringLiteral("Month (L_1_12)"), month);

    auto* bounded = new TLongEditMask(&form);
    bounded->SetMinValue(-500);
    bounded->SetMaxValue(100);
    bounded->SetLongType(TLongType::L_User);
    bounded->SetValue(-42);
    layout->addRow(QStringLiteral("Integer, -500..100"), bounded);

    auto showWords = [money, words] { words->setText(ToText(money->AsMoneyStr())); };
    auto showDecimal = [far, decimal] {
        decimal->setText(QString::number(far->GetRealValue(), 'f', 6));
    };
    QObject::connect(money, &QLineEdit::editingFinished, &form, showWords);
    QObject::connect(far, &QLineEdit::editingFinished, &form, showDecimal);
    showWords();
    showDecimal();

    form.resize(520, form.sizeHint().height());
    form.show();
    if (screenshot.isEmpty()) return app.exec();

    // The first control has the focus and paints itself; the others show their own painting.
    QApplication::processEvents();
    const bool saved = form.grab().save(screenshot, "PNG");
    return saved ? 0 : 1;
}
