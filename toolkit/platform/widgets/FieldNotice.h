// A short notice under a field, for a few seconds, that screen readers announce as a
// notification as it appears (a tooltip they would not read out).
#pragma once

#include <QLabel>

namespace platform {

class FieldNotice : public QLabel {
    Q_OBJECT

public:
    // Shows the text under the field, in place of the notice it shows already.
    static void show(QWidget* field, const QString& text);

private:
    explicit FieldNotice(QWidget* field);
};

} // namespace platform
