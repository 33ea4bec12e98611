#include "FieldSettling.h"

#include "NumericField.h"

#include <QApplication>

namespace platform {

void settleFocusedField() {
    // The focus lies on the field's line edit or on the field itself.
    for (QWidget* widget = QApplication::focusWidget(); widget; widget = widget->parentWidget()) {
        if (auto* field = qobject_cast<NumericField*>(widget)) {
            field->settle();
            return;
        }
        if (widget->isWindow())
            return;
    }
}

} // namespace platform
