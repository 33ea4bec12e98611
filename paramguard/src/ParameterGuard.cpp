#include <paramguard/ParameterGuard.h>

#include "Comparison.h"
#include "Dialogs.h"
#include "ExchangeWatch.h"
#include "ParameterSet.h"
#include "SetReads.h"
#include "UnsentMarks.h"

#include <com232/com232.h>
#include <platform/attach.h>
#include <platform/follow.h>
#include <platform/ui.h>
#include <shared/ControlIds.h>
#include <shared/ParameterVariables.h>

#include <QComboBox>
#include <QFile>
#include <QPointer>
#include <QSpinBox>

#include <memory>

namespace paramguard {

namespace {

// One per main panel: follows the program's transfers and the operator's edits.
class Guard : public QObject {
public:
    Guard(int panel, QWidget* widget, linklog::LinkLog& log)
        : QObject(widget), m_panel(panel), m_widget(widget), m_log(log),
          m_baseline(panelSet(panel)), m_exchanges(new ExchangeWatch(this)),
          m_comparison(new Comparison(panel, widget, log, *m_exchanges)) {
        m_marks = std::make_unique<UnsentMarks>(panel, platform::controlWidget(panel, CTRL_FILE));
        for (const Parameter& parameter : kParameters) {
            QWidget* control = platform::controlWidget(panel, parameter.control);
            if (auto* spin = qobject_cast<QSpinBox*>(control))
                connect(spin, &QSpinBox::valueChanged, this, &Guard::scheduleRefresh);
            else if (auto* ring = qobject_cast<QComboBox*>(control))
                connect(ring, &QComboBox::currentIndexChanged, this, &Guard::scheduleRefresh);
        }
    }

    bool allow(int panel, int control, int event) {
        if (panel != m_panel)
            return true;
        // While a service tool waits for the sensor, no other exchange may take its reply.
        if (m_exchanges->toolReading() && isLinkControl(control))
            return false;
        if (control == CTRL_GET && event == kEventCommit)
            return allowGet();
        if (control == CTRL_SEND && event == kEventLeftClick && target == EEPROM)
            return allowEepromWrite();
        if ((control == CTRL_TEACH || control == CTRL_BUTTON_TEACH) && event == kEventCommit) {
            m_teachBefore = panelSet(m_panel);
            m_readBack = false;
        }
        return true;
    }

    void started(int panel, int control, int event) {
        if (panel == m_panel)
            m_exchanges->callbackStarted(control, event);
    }

    void after(int panel, int control, int event) {
        if (panel != m_panel)
            return;
        m_exchanges->callbackEnded(control, event);
        if (control == CTRL_GET && event == kEventCommit)
            m_fileGet = false;
        else if (control == CTRL_SEND && event == kEventLeftClick)
            afterSend();
        else if ((control == CTRL_TEACH || control == CTRL_BUTTON_TEACH) && event == kEventCommit)
            reportTeach(control == CTRL_TEACH ? "Teach reference" : "Button teach");
    }

    // A value the program shows is no change of the operator's: what a Get, a file or the
    // live view brings is the set last read. The program shows a received frame while rx_flag
    // is up, and a read that failed has cleared it: the write-back after a failed Get, like a
    // column taken from the comparison, leaves the set last read as it was.
    void programValue(int panel, int control) {
        const std::optional<int> position = positionOf(control);
        if (panel != m_panel || !position)
            return;
        unsigned short value = 0;
        GetCtrlVal(m_panel, control, &value);
        if (!m_comparison->takingColumn() && m_fileGet) {
            m_baseline[*position] = value;
        } else if (!m_comparison->takingColumn() && rx_flag == 1) {
            m_baseline[*position] = value;
            if (!m_lastRead)
                m_lastRead = panelSet(m_panel);
            (*m_lastRead)[*position] = value;
            takeFreeWords(*m_lastRead);
            m_readBack = true;
        }
        scheduleRefresh();
    }

private:
    std::vector<int> unsent() const {
        return differences(panelSet(m_panel), m_baseline, kPanelWords);
    }

    // A frame's values come one by one, five of them in every live-view frame: the marks are
    // brought up to date once they are all there.
    void scheduleRefresh() {
        if (std::exchange(m_refreshQueued, true))
            return;
        QMetaObject::invokeMethod(this, &Guard::refresh, Qt::QueuedConnection);
    }

    void refresh() {
        m_refreshQueued = false;
        std::vector<int> now = unsent();
        if (now != m_shown) {
            m_marks->show(now);
            m_shown = std::move(now);
        }
    }

    bool allowGet() {
        const auto count = static_cast<int>(unsent().size());
        if (count > 0) {
            if (!askDiscard(m_widget, count)) {
                note(QStringLiteral("Get cancelled: %1 unsent value(s) kept").arg(count));
                return false;
            }
            note(QStringLiteral("Get: %1 unsent value(s) discarded").arg(count));
        }
        m_fileGet = target == DATFILE;
        return true;
    }

    bool allowEepromWrite() {
        if (!m_askEeprom)
            return true;
        const ParameterSet values = panelSet(m_panel);
        std::vector<EepromRow> rows;
        for (int i = 0; i < kWords; ++i)
            rows.push_back({QLatin1String(kParameters[i].name), values[i],
                            m_lastRead ? std::optional<int>((*m_lastRead)[i]) : std::nullopt});
        const EepromAnswer answer = askEepromWrite(m_widget, rows);
        if (!answer.write) {
            note(QStringLiteral("EEPROM write cancelled: nothing sent"));
            return false;
        }
        m_askEeprom = !answer.stopAsking;
        return true;
    }

    void afterSend() {
        const ParameterSet sent = panelSet(m_panel);
        bool written = nBytesW == FRAME_BYTES;
        if (target == DATFILE) {
            // Saved when the file holds the panel's values now.
            const SetRead saved = readParameterFile(QFile::decodeName(file_name));
            written = saved.words && differences(*saved.words, sent, kPanelWords).empty();
        }
        if (written) {
            m_baseline = sent;
            refresh();
        }
    }

    void reportTeach(const char* command) {
        if (m_teachBefore && m_readBack) {
            const ParameterSet now = panelSet(m_panel);
            const std::vector<int> changed = differences(*m_teachBefore, now);
            note(changed.empty()
                     ? QStringLiteral("%1: the sensor changed no value").arg(QLatin1String(command))
                     : QStringLiteral("%1: the sensor changed %2")
                           .arg(QLatin1String(command),
                                describeChanges(*m_teachBefore, now, changed)));
        }
        m_teachBefore.reset();
    }

    void note(const QString& text) { m_log.append(linklog::EntryKind::Note, text); }

    const int m_panel;
    QWidget* const m_widget;
    linklog::LinkLog& m_log;
    // The set last read from or written to the sensor or a file, as the panel showed it.
    ParameterSet m_baseline;
    std::optional<ParameterSet> m_lastRead; // from the sensor only
    std::unique_ptr<UnsentMarks> m_marks;
    std::vector<int> m_shown;
    ExchangeWatch* m_exchanges;
    Comparison* m_comparison;
    std::optional<ParameterSet> m_teachBefore;
    bool m_readBack = false;
    bool m_refreshQueued = false;
    bool m_fileGet = false;
    bool m_askEeprom = true;
};

} // namespace

void attach(linklog::LinkLog& log) {
    platform::onPanelLoaded([&log](int panel, QWidget* widget) {
        if (!platform::controlWidget(panel, CTRL_GET) || !platform::controlWidget(panel, CTRL_SEND))
            return;
        QPointer<Guard> guard = new Guard(panel, widget, log);
        platform::onBeforeCallback([guard](int p, int control, int event) {
            return !guard || guard->allow(p, control, event);
        });
        platform::onCallbackStart([guard](int p, int control, int event) {
            if (guard)
                guard->started(p, control, event);
        });
        platform::onAfterCallback([guard](int p, int control, int event) {
            if (guard)
                guard->after(p, control, event);
        });
        platform::onProgramValue([guard](int p, int control) {
            if (guard)
                guard->programValue(p, control);
        });
    });
}

} // namespace paramguard
