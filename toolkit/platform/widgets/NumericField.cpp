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

QString nameOf(const QWidget* field) {
    return field->accessibleName().isEmpty() ? field->objectName() : field->accessibleName();
}

} // namespace

NumericField::NumericField(QWidget* parent) : QSpinBox(parent) {
    connect(lineEdit(), &QLineEdit::textChanged, this, [this] { limitTyped(false); });
}

void NumericField::settle() {
    limitTyped(true);
    if (!hasAcceptableInput())
        keepValue();
    interpretText();
}

QValidator::State NumericField::validate(QString& input, int& pos) const {
    const QString text =
        input.mid(prefix().size(), input.size() - prefix().size() - suffix().size()).trimmed();
    const QValidator::State state = QSpinBox::validate(input, pos);
    // In the spin box's range, widened to show a value of the program's, but not in the
    // operator's: a number typed so stands until limitTyped() has looked at it.
    if (state == QValidator::Acceptable) {
        const std::optional<qint64> number = typedNumber(text);
        const bool typedOutside = number && !inUserRange(*number) && *number != value();
        return typedOutside ? QValidator::Intermediate : state;
    }
    if (state != QValidator::Invalid)
        return state;
    // A number out of range, or a sign alone, stands in the field until limitTyped() has
    // looked at it.
    const bool sign = text == QLatin1String("-") || text == QLatin1String("+");
    return sign || typedNumber(text) ? QValidator::Intermediate : QValidator::Invalid;
}

void NumericField::focusOutEvent(QFocusEvent* event) {
    settle();
    QSpinBox::focusOutEvent(event);
}

void NumericField::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        settle();
    QSpinBox::keyPressEvent(event);
}

void NumericField::stepBy(int steps) {
    const qint64 asked = value() + qint64{steps} * singleStep();
    if (inUserRange(asked))
        QSpinBox::stepBy(steps);
    else
        limit(asked, asked > userMaximum() ? userMaximum() : userMinimum());
}

int NumericField::userMinimum() const {
    const QVariant set = property(kUserMinimum);
    return set.isValid() ? set.toInt() : minimum();
}

int NumericField::userMaximum() const {
    const QVariant set = property(kUserMaximum);
    return set.isValid() ? set.toInt() : maximum();
}

bool NumericField::inUserRange(qint64 value) const {
    return value >= userMinimum() && value <= userMaximum();
}

void NumericField::limitTyped(bool leaving) {
    const std::optional<qint64> typed = typedNumber(cleanText().trimmed());
    // The value the field holds, also one of the program's outside the range, is no one's typing.
    if (!typed || *typed == value())
        return;
    // More digits move a number away from zero: while they could still bring it into the
    // range, it stands as typed.
    const bool above = *typed > userMaximum() && (*typed >= 0 || leaving);
    const bool below = *typed < userMinimum() && (*typed < 0 || leaving);
    if (above || below)
        limit(*typed, above ? userMaximum() : userMinimum());
}

void NumericField::setValueAsked(int value) {
    // The panel file's values are set before the field shows, and always lie in the range.
    if (isVisible() && !inUserRange(value))
        limit(value, value > userMaximum() ? userMaximum() : userMinimum());
    else
        setValue(value);
}

void NumericField::limit(qint64 asked, int limit) {
    setValue(limit);
    tell(tr("%1: %2 is out of range (%3 to %4), set to %5")
             .arg(nameOf(this))
             .arg(asked)
             .arg(userMinimum())
             .arg(userMaximum())
             .arg(limit));
}

void NumericField::keepValue() {
    tell(tr("%1: no number typed, kept %2").arg(nameOf(this)).arg(value()));
}

void NumericField::tell(const QString& text) {
    // Leaving a window that is closing (and may be going): no one is there to read it.
    if (window()->isHidden())
        return;
    FieldNotice::show(this, text);
    emit limited(text);
}

} // namespace platform
