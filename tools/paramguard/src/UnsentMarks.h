// Shows which parameter controls hold a value not sent to the sensor, and where it came from:
// a mark after the control's label in bold ("*" for the operator's changes, "(live)" for the
// live view's values, "(file)" for values a parameter file holds), a note in its accessible
// description and tooltip, and a count beside the transfer targets.
#pragma once

#include "ValueOrigins.h"

#include <QLabel>
#include <QPointer>

namespace paramguard {

class UnsentMarks {
public:
    // Takes the labels beside the controls and adds the count after `countAfter` in its layout.
    UnsentMarks(int panel, QWidget* countAfter);

    void show(const std::vector<Unsent>& unsent);
    QLabel* countLabel() const { return m_count; }

private:
    struct Mark {
        QPointer<QWidget> control;
        QPointer<QLabel> label;
        QString labelText;
        QString description;
        QString toolTip;
    };
    std::array<Mark, kPanelWords> m_marks;
    QPointer<QLabel> m_count;
};

// Puts the widget into the layout that holds `after`, right behind it.
void insertAfter(QWidget* after, QWidget* widget);

} // namespace paramguard
