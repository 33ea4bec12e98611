#include "LinkState.h"
#include "ShownValues.h"

#include <linkstate/linkstate.h>

#include <door/door.h>
#include <platform/attach.h>
#include <platform/linkevents.h>

#include <QBoxLayout>
#include <QLabel>
#include <QPointer>

#include <memory>
#include <optional>

namespace linkstate {

namespace {

const char* colourOf(State state) {
    switch (state) {
    case State::Answered:
        return "#1b7f2a";
    case State::Malformed:
    case State::WrongEcho:
    case State::ShortAnswer:
    case State::Unanswered:
    case State::AnsweredLate:
        return "#9a6700";
    case State::CannotOpen:
    case State::Gone:
        return "#b3261e";
    case State::NotOpen:
    case State::Open:
    case State::Written:
        break;
    }
    return "#5f6368";
}

// The outcomes of exchanges; the log has the opens and losses from the port already.
bool isOutcome(State state) {
    return state != State::NotOpen && state != State::Open && state != State::CannotOpen &&
           state != State::Gone;
}

class StateIndicator {
public:
    StateIndicator(int panel, QWidget* widget, linklog::LinkLog& log)
        : m_panel(panel), m_window(widget), m_log(log) {
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
        if (m_state.onPortEvent(event, door::portInUse()))
            show();
    }

private:
    void show() {
        // Every frame of a live view comes by here: only a change is shown.
        const State state = m_state.state();
        if (!m_window || (state == m_shownState && m_state.device() == m_shownDevice &&
                          m_state.cause() == m_shownCause))
            return;
        if (state != m_shownState && isOutcome(state))
            m_log.append(linklog::EntryKind::Note,
                         QStringLiteral("Link state: %1. %2")
                             .arg(stateText(state), stateExplanation(state)));
        m_shownState = state;
        m_shownDevice = m_state.device();
        m_shownCause = m_state.cause();
        const QString text = stateText(state);
        m_label->setText(text);
        m_label->setStyleSheet(QStringLiteral("color: %1; font-weight: bold").arg(colourOf(state)));
        m_label->setAccessibleDescription(stateExplanation(state));
        const QString device =
            m_state.device().isEmpty() ? QString() : m_state.device() + QStringLiteral(": ");
        m_label->setToolTip(device + text +
                            (m_state.cause().isEmpty()
                                 ? QString()
                                 : QStringLiteral(" (") + m_state.cause() + QLatin1Char(')')) +
                            QStringLiteral(". ") + stateExplanation(state));
        m_window->setWindowTitle(
            m_state.device().isEmpty()
                ? m_title
                : QStringLiteral("%1 - %2, %3").arg(m_title, m_state.device(), text));
        markShownValues(m_panel, m_state);
    }

    int m_panel;
    QPointer<QWidget> m_window;
    linklog::LinkLog& m_log;
    QString m_title;
    QLabel* m_label;
    LinkState m_state;
    std::optional<State> m_shownState;
    QString m_shownDevice;
    QString m_shownCause;
};

} // namespace

void installStateIndicator(linklog::LinkLog& log) {
    platform::onPanelLoaded([&log](int panel, QWidget* widget) {
        // Lives as long as the seam's hooks that call it.
        auto indicator = std::make_shared<StateIndicator>(panel, widget, log);
        platform::onPortEvent(
            [indicator](const platform::PortEvent& event) { indicator->onPortEvent(event); });
    });
}

} // namespace linkstate
