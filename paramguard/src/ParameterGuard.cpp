#include <paramguard/ParameterGuard.h>

#include "CompareWindow.h"
#include "Dialogs.h"
#include "ParameterSet.h"
#include "SetReads.h"
#include "UnsentMarks.h"

#include <com232/com232.h>
#include <gui/gui.h>
#include <platform/attach.h>
#include <platform/follow.h>
#include <platform/ui.h>
#include <shared/ControlIds.h>
#include <shared/ShellVariables.h>

#include <QComboBox>
#include <QEvent>
#include <QFile>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>

#include <algorithm>
#include <iterator>
#include <memory>

namespace paramguard {

namespace {

constexpr int kReadRamOrder = 2;
constexpr int kReadEepromOrder = 4;
// The controls that start an exchange with the sensor.
constexpr int kLinkControls[] = {CTRL_GET,          CTRL_SEND, CTRL_TEACH,
                                 CTRL_BUTTON_TEACH, CTRL_RUN,  CTRL_PORT};

// One per main panel: follows the program's transfers and the operator's edits.
class Guard : public QObject {
public:
    Guard(int panel, QWidget* widget, linklog::LinkLog& log)
        : QObject(widget), m_panel(panel), m_widget(widget), m_log(log),
          m_baseline(panelSet(panel)) {
        QWidget* get = platform::controlWidget(panel, CTRL_GET);
        m_compareButton = new QPushButton(QStringLiteral("Compare"), widget);
        m_compareButton->setObjectName(QStringLiteral("compareButton"));
        m_compareButton->setShortcut(QKeySequence(QStringLiteral("Ctrl+D")));
        m_compareButton->setToolTip(QStringLiteral(
            "Compare the panel with the sensor's RAM and EEPROM and a parameter file (Ctrl+D)"));
        m_compareButton->setAccessibleName(QStringLiteral("Compare"));
        QWidget* send = platform::controlWidget(panel, CTRL_SEND);
        m_compareButton->setMinimumSize(send->minimumSize());
        m_compareButton->setSizePolicy(send->sizePolicy());
        insertAfter(send, m_compareButton);
        QWidget::setTabOrder(send, m_compareButton);
        connect(m_compareButton, &QPushButton::clicked, this, [self = QPointer<Guard>(this)] {
            platform::postCall([self] {
                if (self)
                    self->compare();
            });
        });
        // Compare talks to the sensor as Get does, so it is there when Get is.
        get->installEventFilter(this);
        m_marks = std::make_unique<UnsentMarks>(panel, platform::controlWidget(panel, CTRL_FILE));
        for (const Parameter& parameter : kParameters) {
            QWidget* control = platform::controlWidget(panel, parameter.control);
            if (auto* spin = qobject_cast<QSpinBox*>(control))
                connect(spin, &QSpinBox::valueChanged, this, &Guard::refresh);
            else if (auto* ring = qobject_cast<QComboBox*>(control))
                connect(ring, &QComboBox::currentIndexChanged, this, &Guard::refresh);
        }
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::EnabledChange)
            m_compareButton->setEnabled(static_cast<QWidget*>(watched)->isEnabled());
        return false;
    }

    bool allow(int panel, int control, int event) {
        if (panel != m_panel)
            return true;
        // While Compare waits for the sensor, no other exchange may take its reply.
        if (m_comparing && std::find(std::begin(kLinkControls), std::end(kLinkControls), control) !=
                               std::end(kLinkControls))
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

    void after(int panel, int control, int event) {
        if (panel != m_panel)
            return;
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
        if (!m_takingColumn && m_fileGet) {
            m_baseline[*position] = value;
        } else if (!m_takingColumn && rx_flag == 1) {
            m_baseline[*position] = value;
            if (!m_lastRead)
                m_lastRead = panelSet(m_panel);
            (*m_lastRead)[*position] = value;
            const ParameterSet held = panelSet(m_panel);
            std::copy(held.begin() + kPanelWords, held.end(), m_lastRead->begin() + kPanelWords);
            m_readBack = true;
        }
        refresh();
    }

private:
    std::vector<int> unsent() const {
        return differences(panelSet(m_panel), m_baseline, kPanelWords);
    }

    void refresh() {
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

    CompareWindow* window() {
        if (!m_compare) {
            m_compare = new CompareWindow(m_widget);
            connect(m_compare, &CompareWindow::compareAgain, this, [self = QPointer<Guard>(this)] {
                platform::postCall([self] {
                    if (self)
                        self->compare();
                });
            });
            connect(m_compare, &CompareWindow::addFile, this, &Guard::addFile);
            connect(m_compare, &CompareWindow::takeIntoPanel, this, &Guard::take);
        }
        return m_compare;
    }

    void compare() {
        if (m_comparing || !m_compareButton->isEnabled())
            return;
        m_comparing = true;
        CompareWindow* shown = window();
        shown->show();
        shown->raise();
        shown->showColumn(kPanelColumn, {panelSet(m_panel), {}});
        for (const auto& [column, readOrder] :
             {std::pair{kRamColumn, kReadRamOrder}, std::pair{kEepromColumn, kReadEepromOrder}}) {
            const SetRead read = readSensorSet(readOrder);
            if (!read.words)
                m_log.append(linklog::EntryKind::Error,
                             QStringLiteral("Compare: %1: %2")
                                 .arg(column == kRamColumn ? QStringLiteral("RAM")
                                                           : QStringLiteral("EEPROM"),
                                      read.problem));
            if (m_compare)
                m_compare->showColumn(column, read);
        }
        if (m_compare && !m_comparedFile.isEmpty())
            m_compare->showColumn(kFileColumn, readParameterFile(m_comparedFile));
        m_comparing = false;
    }

    void addFile() {
        char path[kMaxPathnameLen] = {};
        if (FileSelectPopup(proj_dir, "ZULpara.dat", "*.dat", "Parameter file to compare",
                            kButtonLoad, 0, 1, 1, 1, path) <= 0)
            return;
        m_comparedFile = QFile::decodeName(path);
        const SetRead read = readParameterFile(m_comparedFile);
        if (!read.words)
            m_log.append(linklog::EntryKind::Error,
                         QStringLiteral("Compare: %1").arg(read.problem));
        window()->showColumn(kFileColumn, read);
    }

    void take(Column column) {
        const std::optional<ParameterSet> words = window()->column(column);
        if (!words)
            return;
        m_takingColumn = true;
        for (int i = 0; i < kPanelWords; ++i)
            SetCtrlVal(m_panel, kParameters[i].control, (*words)[i]);
        m_takingColumn = false;
        DimToleranceForMode(static_cast<unsigned short>((*words)[4]));
        refresh();
        window()->showColumn(kPanelColumn, {panelSet(m_panel), {}});
        note(QStringLiteral("Compare: values taken into the panel, not sent yet"));
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
    QPushButton* m_compareButton;
    QPointer<CompareWindow> m_compare;
    QString m_comparedFile;
    std::optional<ParameterSet> m_teachBefore;
    bool m_readBack = false;
    bool m_fileGet = false;
    bool m_takingColumn = false;
    bool m_comparing = false;
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
