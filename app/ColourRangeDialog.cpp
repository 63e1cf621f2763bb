#include "app/ColourRangeDialog.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <cmath>

namespace orvane::app {

namespace {

ColourRangeDialog::Answer& AnswerHook() {
    static ColourRangeDialog::Answer answer;
    return answer;
}

std::optional<double> ParseHeight(const QString& text) {
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok); // "." whatever the locale
    return ok && std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
}

std::optional<measure::ColourRange> RangeOf(const QString& low, const QString& high) {
    const std::optional<double> l = ParseHeight(low), h = ParseHeight(high);
    if (!l || !h || !(*h > *l))
        return std::nullopt;
    return measure::ColourRange{measure::ColourRangeKind::Manual, *l, *h};
}

} // namespace

void ColourRangeDialog::SetAnswer(Answer answer) {
    AnswerHook() = std::move(answer);
}

std::optional<measure::ColourRange> ParseManualRange(const QString& text) {
    const QStringList parts =
        text.split(QRegularExpression(QStringLiteral("[,\\s]+")), Qt::SkipEmptyParts);
    return parts.size() == 2 ? RangeOf(parts[0], parts[1]) : std::nullopt;
}

std::optional<measure::ColourRange> ColourRangeDialog::Ask(QWidget* parent, const QString& unit,
                                                           double shownLow, double shownHigh) {
    if (AnswerHook())
        return AnswerHook()();
    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("Colour Range"));
    auto* form = new QFormLayout(&dialog);
    auto* low = new QLineEdit(QString::number(shownLow, 'g', 10), &dialog);
    auto* high = new QLineEdit(QString::number(shownHigh, 'g', 10), &dialog);
    form->addRow(QStringLiteral("Low (%1):").arg(unit), low);
    form->addRow(QStringLiteral("High (%1):").arg(unit), high);
    auto* why = new QLabel(&dialog);
    form->addRow(why);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    form->addRow(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    // OK only for two numbers with high above low; the label says what is wrong.
    const auto check = [=] {
        const bool numbers = ParseHeight(low->text()) && ParseHeight(high->text());
        const bool valid = RangeOf(low->text(), high->text()).has_value();
        why->setText(valid ? QString()
                     : numbers
                         ? QStringLiteral("High must be above low.")
                         : QStringLiteral("Type two numbers, with \".\" as the decimal point."));
        buttons->button(QDialogButtonBox::Ok)->setEnabled(valid);
    };
    QObject::connect(low, &QLineEdit::textChanged, &dialog, check);
    QObject::connect(high, &QLineEdit::textChanged, &dialog, check);
    check();
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return RangeOf(low->text(), high->text());
}

} // namespace orvane::app
