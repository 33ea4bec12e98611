#include "ShownValues.h"

#include <door/door.h>
#include <platform/attach.h>

#include <QGraphicsColorizeEffect>

namespace linkstate {

namespace {

constexpr int kShownValues[] = {
    CTRL_REPORTED_TOLERANCE, CTRL_RAW_1,     CTRL_RAW_2,    CTRL_RAW_3, CTRL_RAW_4,
    CTRL_NORMALISED,         CTRL_LAMP_BIT0, CTRL_LAMP_BIT1};

// Amber, as the link state's warnings; unlike greyed, the value stays easy to read.
constexpr QRgb kDoubtfulTint = 0xd98c00;
// Not the whole way: a lamp on and a lamp off stay apart.
constexpr qreal kDoubtfulStrength = 0.7;

} // namespace

void markShownValues(int panel, const LinkState& state) {
    const QString note = state.stale() ? QStringLiteral("not current: ") + stateText(state.judged())
                         : state.doubtful() ? QStringLiteral("doubtful: from a malformed reply")
                                            : QString();
    for (const int id : kShownValues) {
        QWidget* value = platform::controlWidget(panel, id);
        if (!value)
            continue;
        value->setEnabled(!state.stale());
        QGraphicsColorizeEffect* tint = nullptr;
        if (state.doubtful()) {
            tint = new QGraphicsColorizeEffect;
            tint->setColor(QColor(kDoubtfulTint));
            tint->setStrength(kDoubtfulStrength);
        }
        // Takes the tint, and deletes the one before.
        value->setGraphicsEffect(tint);
        value->setAccessibleDescription(note);
    }
}

} // namespace linkstate
