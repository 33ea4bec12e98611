#include "NumericField.h"

#include "FieldNotice.h"

#include <QKeyEvent>
#include <QLineEdit>

#include <algorithm>
#include <optional>

namespace platform {

namespace {

// Far beyond any field's range, and far from overflowing as digits are added.
constexpr qint64 kBeyondAnyRange = 1'000'000'000'000'000;

// The number the text spells, digits with an optional sign, or nothing.
std::optional<qint64> typedNumber(QStringView text) {
    const bool negative = text.startsWith(QLatin1Char('-'));
    if (negative || text.startsWith(QLatin1Char('+')))
        text = text.mid(1);
    if (text.isEmpty())
        return std::nullopt;
    qint64 value = 0;
    for (const QChar c : text) {
        if (!c.isDigit())
            return std::nullopt;
        value = std::min(value * 10 + c.digitValue(), kBeyondAnyRange);
    }
    return negative ? -value : value;
}

} // namespace

NumericField::NumericField(QWidget* parent) : QSpinBox(parent) {
    connect(lineEdit(), &QLineEdit::textChanged, this, [this] { limitTyped(false); });
}

QValidator::State NumericField::validate(QString& input, int& pos) const {
    const QValidator::State state = QSpinBox::validate(input, pos);
    if (state != QValidator::Invalid)
        return state;
    // A number out of range, or a sign alone, stands in the field until limitTyped() has
    // looked at it.
    const QString text =
        input.mid(prefix().size(), input.size() - prefix().size() - suffix().size()).trimmed();
    const bool sign = text == QLatin1String("-") || text == QLatin1String("+");
    return sign || typedNumber(text) ? QValidator::Intermediate : QValidator::Invalid;
}

void NumericField::focusOutEvent(QFocusEvent* event) {
    limitTyped(true);
    QSpinBox::focusOutEvent(event);
}

void NumericField::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        limitTyped(true);
    QSpinBox::keyPressEvent(event);
}

void NumericField::limitTyped(bool leaving) {
    const std::optional<qint64> typed = typedNumber(cleanText().trimmed());
    if (!typed)
        return;
    // More digits move a number away from zero: while they could still bring it into the
    // range, it stands as typed.
    const bool above = *typed > maximum() && (*typed >= 0 || leaving);
    const bool below = *typed < minimum() && (*typed < 0 || leaving);
    if (above || below)
        limit(*typed, above ? maximum() : minimum());
}

void NumericField::setValueAsked(int value) {
    // The panel file's values are set before the field shows, and always lie in the range.
    if (isVisible() && (value < minimum() || value > maximum()))
        limit(value, value > maximum() ? maximum() : minimum());
    else
        setValue(value);
}

void NumericField::limit(qint64 asked, int limit) {
    setValue(limit);
    const QString name = accessibleName().isEmpty() ? objectName() : accessibleName();
    const QString text = tr("%1: %2 is out of range (%3 to %4), set to %5")
                             .arg(name)
                             .arg(asked)
                             .arg(minimum())
                             .arg(maximum())
                             .arg(limit);
    FieldNotice::show(this, text);
    emit limited(text);
}

} // namespace platform
