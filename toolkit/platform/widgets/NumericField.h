// A value field whose typed value is never changed silently. A number typed outside the
// field's range stands in the field only while more digits could still bring it in (one below
// a minimum above zero, until the operator leaves the field or presses Return); then the field
// shows the nearest limit instead and says so (limited()). A value that assistive technology
// sets, or a step of the arrows, outside the range is limited the same way. A field left
// without a number shows the value it keeps, and says so too. Values the program sets are shown
// as they come.
#pragma once

#include <QSpinBox>

namespace platform {

class NumericField : public QSpinBox {
    Q_OBJECT
    // Qt's accessible spin box reads its step from a property of this name; without it, a
    // screen reader's Increase steps by a tenth of the range instead of the up arrow's step.
    Q_PROPERTY(int stepSize READ singleStep)
    // The value as assistive technology sets it, through this property: outside the range, it
    // is limited as a typed number is.
    Q_PROPERTY(int value READ value WRITE setValueAsked USER true)

public:
    // The range the operator may enter, when the spin box's own range is wider: the program
    // widens it to show a value it holds outside. Without them, the spin box's range.
    static constexpr const char* kUserMinimum = "userMinimum";
    static constexpr const char* kUserMaximum = "userMaximum";

    explicit NumericField(QWidget* parent = nullptr);

    // Takes what stands in the field as leaving it would, so that the field shows the value
    // it holds: for a command that reads the field while the operator is still in it.
    void settle();

signals:
    // What was typed and the value the field took instead, in words.
    void limited(const QString& text);

protected:
    QValidator::State validate(QString& input, int& pos) const override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void stepBy(int steps) override;

private:
    int userMinimum() const;
    int userMaximum() const;
    bool inUserRange(qint64 value) const;
    void setValueAsked(int value);
    void limitTyped(bool leaving);
    void limit(qint64 asked, int limit);
    void keepValue();
    void tell(const QString& text);
};

} // namespace platform
