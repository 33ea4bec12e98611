#include "LinkState.h"

#include <linkstate/linkstate.h>

#include <platform/attach.h>
#include <platform/linkevents.h>
#include <shared/ControlIds.h>
#include <shared/LinkVariables.h>

#include <QBoxLayout>
#include <QLabel>
#include <QPointer>

#include <memory>
#include <optional>

namespace linkstate {

namespace {

// What a measurement shows: dimmed while it may no longer be true.
constexpr int kShownValues[] = {
    CTRL_REPORTED_TOLERANCE, CTRL_RAW_1,     CTRL_RAW_2,    CTRL_RAW_3, CTRL_RAW_4,
    CTRL_NORMALISED,         CTRL_LAMP_BIT0, CTRL_LAMP_BIT1};

const char* colourOf(State state) {
    switch (state) {
    case State::Answered:
        return "#1b7f2a";
    case State::Unanswered:
        return "#9a6700";
    case State::CannotOpen:
    case State::Gone:
        return "#b3261e";
    default:
        return "#5f6368";
    }
}

class StateIndicator {
public:
    StateIndicator(int panel, QWidget* widget) : m_panel(panel), m_window(widget) {
        m_title = widget->windowTitle();
        m_label = new QLabel;
        m_label->setAccessibleName(QStringLiteral("Link state"));
        QWidget* ring = platform::controlWidget(panel, CTRL_PORT);
        if (auto* layout =
                ring ? qobject_cast<QBoxLayout*>(ring->parentWidget()->layout()) : nullptr)
            layout->insertWidget(layout->indexOf(ring) + 1, m_label);
        show();
    }

    void onPortEvent(const platform::PortEvent& event) {
        if (m_state.onPortEvent(event, com))
            show();
    }

    void onText(int control, const QString& text) {
        if (control != CTRL_STATUS)
            return;
        m_state.onStatusText(text);
        show();
    }

private:
    void show() {
        // Every frame of a live view comes by here: only a change is shown.
        const State state = m_state.state();
        if (!m_window || (state == m_shownState && m_state.device() == m_shownDevice &&
                          m_state.cause() == m_shownCause))
            return;
        m_shownState = state;
        m_shownDevice = m_state.device();
        m_shownCause = m_state.cause();
        const QString text = stateText(state);
        m_label->setText(text);
        m_label->setStyleSheet(QStringLiteral("color: %1; font-weight: bold").arg(colourOf(state)));
        m_label->setAccessibleDescription(text);
        const QString device =
            m_state.device().isEmpty() ? QString() : m_state.device() + QStringLiteral(": ");
        m_label->setToolTip(device + text +
                            (m_state.cause().isEmpty()
                                 ? QString()
                                 : QStringLiteral(" (") + m_state.cause() + QLatin1Char(')')));
        m_window->setWindowTitle(
            m_state.device().isEmpty()
                ? m_title
                : QStringLiteral("%1 - %2, %3").arg(m_title, m_state.device(), text));
        for (const int id : kShownValues)
            if (QWidget* value = platform::controlWidget(m_panel, id))
                value->setEnabled(!m_state.stale());
    }

    int m_panel;
    QPointer<QWidget> m_window;
    QString m_title;
    QLabel* m_label;
    LinkState m_state;
    std::optional<State> m_shownState;
    QString m_shownDevice;
    QString m_shownCause;
};

} // namespace

void installStateIndicator() {
    platform::onPanelLoaded([](int panel, QWidget* widget) {
        // Lives as long as the seam's hooks that call it.
        auto indicator = std::make_shared<StateIndicator>(panel, widget);
        platform::onPortEvent(
            [indicator](const platform::PortEvent& event) { indicator->onPortEvent(event); });
        platform::onTextSet([indicator, panel](int textPanel, int control, const QString& text) {
            if (textPanel == panel)
                indicator->onText(control, text);
        });
    });
}

} // namespace linkstate
