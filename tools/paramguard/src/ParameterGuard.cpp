#include <paramguard/ParameterGuard.h>

#include "BackupList.h"
#include "Comparison.h"
#include "Dialogs.h"
#include "ParameterSet.h"
#include "SetReads.h"
#include "UnsentMarks.h"
#include "ValueOrigins.h"

#include <backups/Backups.h>
#include <door/door.h>
#include <exchanges/ExchangeWatch.h>
#include <platform/attach.h>
#include <platform/follow.h>
#include <platform/ui.h>

#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>

#include <algorithm>
#include <memory>

namespace paramguard {

namespace {

// The set the EEPROM holds: last read from it, as the sensor sent it, or last written to it.
struct EepromSet {
    ParameterSet words;
    QDateTime at;
    bool written;
};

// One per main panel: follows the program's transfers and the operator's edits.
class Guard : public QObject {
public:
    Guard(int panel, QWidget* widget, linklog::LinkLog& log)
        : QObject(widget), m_panel(panel), m_widget(widget), m_log(log), m_origins(panelSet(panel)),
          m_exchanges(&exchanges::ExchangeWatch::of(panel, widget)),
          m_comparison(new Comparison(
              panel, widget, log, *m_exchanges,
              [this](const ParameterSet& words) { eepromRead(words); },
              [this](const ParameterSet& words) { takeIntoPanel(words, Origin::Edited); })) {
        new BackupList(
            widget, m_comparison->button(), log,
            [this](const ParameterSet& words) { takeIntoPanel(words, Origin::LoadedFromFile); },
            [this](const QString& path) { m_comparison->compareWithFile(path); });
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
        if (m_exchanges->toolReading() && exchanges::isLinkControl(control))
            return false;
        if (control == CTRL_GET && event == kEventCommit)
            return allowReplacing(Replacing::Get);
        if (control == CTRL_PORT && event == kEventCommit)
            return allowPortChange();
        if (control == platform::kPanelItself && event == kEventClose)
            return allowClose();
        if (control == CTRL_SEND && event == kEventLeftClick && door::target() == door::kEeprom)
            return allowEepromWrite();
        return true;
    }

    void started(int panel, int control, int event) {
        if (panel != m_panel)
            return;
        if (control == CTRL_GET && event == kEventCommit) {
            m_getFrom = door::target();
            m_valuesRead = false;
        }
        if (control == CTRL_SEND && event == kEventLeftClick) {
            const QString path = QFile::decodeName(door::lastFileName());
            m_fileBefore = {path, fileTime(path)};
        }
        if ((control == CTRL_TEACH || control == CTRL_BUTTON_TEACH) && event == kEventCommit) {
            m_teachBefore = panelSet(m_panel);
            m_valuesRead = false;
        }
    }

    void after(int panel, int control, int event) {
        if (panel != m_panel)
            return;
        if (control == CTRL_GET && event == kEventCommit)
            reportGet();
        else if (control == CTRL_SEND && event == kEventLeftClick)
            afterSend();
        else if ((control == CTRL_TEACH || control == CTRL_BUTTON_TEACH) && event == kEventCommit)
            reportTeach(control == CTRL_TEACH ? "Teach reference" : "Button teach");
    }

    // Who put a value the program shows there. The program shows a received frame while the
    // frame is flagged received: in the live view's callback the measurement, elsewhere the reply
    // to a read (a Get, a teach's read-back, the connect's read). A read that failed has cleared
    // the flag: its write-back shows the program's variables again, and creates no mark.
    void programValue(int panel, int control) {
        const std::optional<int> position = positionOf(control);
        if (panel != m_panel || !position)
            return;
        unsigned short value = 0;
        GetCtrlVal(m_panel, control, &value);
        if (m_taking) {
            m_origins.shown(*position, value, *m_taking);
        } else if (m_exchanges->liveView()) {
            m_origins.shown(*position, value, Origin::LiveView);
        } else if (m_getFrom == door::kFile) {
            m_origins.shown(*position, value, Origin::LoadedFromFile);
            m_valuesRead = true;
        } else if (door::frameReceived()) {
            m_origins.read(*position, value);
            if (m_getFrom == door::kEeprom)
                eepromRead(receivedWords());
            m_valuesRead = true;
        } else {
            m_origins.shown(*position, value, std::nullopt);
        }
        scheduleRefresh();
    }

private:
    // A set the operator chose (a column of Compare, a backup) shown on the panel, not sent.
    void takeIntoPanel(const ParameterSet& words, Origin origin) {
        m_taking = origin;
        for (int i = 0; i < kPanelWords; ++i)
            SetCtrlVal(m_panel, kParameters[i].control, words[i]);
        m_taking.reset();
        door::dimToleranceForMode(static_cast<unsigned short>(words[4]));
    }

    std::vector<Unsent> unsent() const { return m_origins.unsent(panelSet(m_panel)); }

    // The operator's changes, which nothing else holds: a file holds its values, and the
    // live view's are the sensor's.
    int changedByOperator() const {
        const std::vector<Unsent> values = unsent();
        return static_cast<int>(std::count_if(values.begin(), values.end(), [](const Unsent& u) {
            return u.origin == Origin::Edited;
        }));
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
        std::vector<Unsent> now = unsent();
        if (now != m_shown) {
            m_marks->show(now);
            m_shown = std::move(now);
        }
    }

    bool allowReplacing(Replacing by) {
        const int count = changedByOperator();
        if (count == 0)
            return true;
        const bool discard = askDiscard(m_widget, by, count);
        noteAnswer(by, count, discard);
        return discard;
    }

    bool allowPortChange() {
        if (allowReplacing(Replacing::PortChange))
            return true;
        // The drop-down shows the port in use again.
        SetCtrlVal(m_panel, CTRL_PORT, door::portInUse());
        return false;
    }

    // Asked without holding up the program, so that a live view goes on meanwhile; a discard
    // closes the panel again, and lets it go.
    bool allowClose() {
        if (std::exchange(m_closeDiscarded, false))
            return true;
        const int count = changedByOperator();
        if (count == 0)
            return true;
        if (!std::exchange(m_closeAsked, true))
            askDiscardLater(m_widget, Replacing::Close, count,
                            [self = QPointer<Guard>(this), count](bool discard) {
                                if (!self)
                                    return;
                                self->m_closeAsked = false;
                                self->noteAnswer(Replacing::Close, count, discard);
                                self->m_closeDiscarded = discard;
                                if (discard)
                                    self->m_widget->close();
                            });
        return false;
    }

    void noteAnswer(Replacing by, int count, bool discard) {
        const char* action = by == Replacing::Get          ? "Get"
                             : by == Replacing::PortChange ? "Port change"
                                                           : "Close";
        note(discard ? QStringLiteral("%1: %2 unsent value(s) discarded")
                           .arg(QLatin1String(action))
                           .arg(count)
                     : QStringLiteral("%1 cancelled: %2 unsent value(s) kept")
                           .arg(QLatin1String(action))
                           .arg(count));
    }

    // The EEPROM's set is kept before every write; without a backup the operator is asked,
    // whatever was chosen for the session.
    bool allowEepromWrite() {
        const EepromBackup backup = backUpEeprom();
        if (!m_askEeprom && backup.path)
            return true;
        const EepromAnswer answer = askEepromWrite(
            m_widget, eepromQuestion(backup), [this] { return eepromQuestion(backUpEeprom()); });
        if (!answer.write) {
            note(QStringLiteral("EEPROM write cancelled: nothing sent"));
            return false;
        }
        m_askEeprom = m_askEeprom && !answer.stopAsking;
        return true;
    }

    struct EepromBackup {
        std::optional<QString> path;
        QString problem; // why there is none
    };

    EepromBackup backUpEeprom() {
        if (m_exchanges->busy())
            return {std::nullopt, QStringLiteral("another exchange with the sensor is waiting")};
        const exchanges::ExchangeWatch::ToolRead reading(*m_exchanges);
        QString why;
        std::optional<backups::Words> read;
        const std::optional<backups::Backup> backup =
            backups::backUpEeprom(platform::portDevice(door::portInUse()),
                                  QString::fromLatin1(door::firmwareText()), why, read);
        if (read) {
            ParameterSet words{};
            std::copy(read->begin(), read->end(), words.begin());
            eepromRead(words);
        }
        if (!backup) {
            m_log.append(linklog::EntryKind::Error,
                         QStringLiteral("EEPROM backup not made: %1").arg(why));
            return {std::nullopt, why};
        }
        note(QStringLiteral("EEPROM backup: %1").arg(backup->path));
        return {backup->path, {}};
    }

    EepromQuestion eepromQuestion(const EepromBackup& backup) const {
        const ParameterSet values = panelSet(m_panel);
        EepromQuestion question{{},
                                m_eeprom ? m_eeprom->at : QDateTime(),
                                m_eeprom && m_eeprom->written,
                                backup.path.value_or(QString()),
                                backup.problem};
        for (int i = 0; i < kWords; ++i)
            question.rows.push_back(
                {QLatin1String(kParameters[i].name), values[i],
                 m_eeprom ? std::optional<int>(m_eeprom->words[i]) : std::nullopt});
        return question;
    }

    // The packet as the sensor sent it, before the panel replaced values out of range.
    static ParameterSet receivedWords() {
        const door::Words packet = door::lastPacket();
        ParameterSet words{};
        std::copy(packet.begin(), packet.end(), words.begin());
        return words;
    }

    void eepromRead(const ParameterSet& words) {
        m_eeprom = EepromSet{words, QDateTime::currentDateTime(), false};
    }

    void afterSend() {
        const ParameterSet sent = panelSet(m_panel);
        if (door::target() == door::kFile) {
            // Saved when the file holds the panel's values now.
            const QString path = QFile::decodeName(door::lastFileName());
            const SetRead saved = readParameterFile(path);
            if (saved.words && differences(*saved.words, sent, kPanelWords).empty()) {
                m_origins.saved(sent);
                // Written by this Send, not left from an earlier one (a cancelled dialog).
                if (path != m_fileBefore.path || fileTime(path) != m_fileBefore.modified)
                    note(QStringLiteral("Saved %1").arg(path));
            }
        } else if (door::lastRequestSentWhole()) {
            m_origins.sent(sent);
            // What the EEPROM holds now; the next confirmation compares with it.
            if (door::target() == door::kEeprom)
                m_eeprom = EepromSet{sent, QDateTime::currentDateTime(), true};
        }
        refresh();
    }

    static QDateTime fileTime(const QString& path) {
        return path.isEmpty() ? QDateTime() : QFileInfo(path).lastModified();
    }

    void reportGet() {
        if (m_valuesRead)
            note(m_getFrom == door::kFile
                     ? QStringLiteral("Get: loaded %1").arg(QFile::decodeName(door::lastFileName()))
                     : QStringLiteral("Get: read from the sensor's %1")
                           .arg(m_getFrom == door::kEeprom ? "EEPROM" : "RAM"));
        m_getFrom = 0;
    }

    void reportTeach(const char* command) {
        if (m_teachBefore && m_valuesRead) {
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
    ValueOrigins m_origins;
    std::optional<EepromSet> m_eeprom;
    std::unique_ptr<UnsentMarks> m_marks;
    std::vector<Unsent> m_shown;
    exchanges::ExchangeWatch* m_exchanges;
    Comparison* m_comparison;
    std::optional<ParameterSet> m_teachBefore;
    std::optional<Origin> m_taking; // of the set a tool puts into the panel
    int m_getFrom = 0;              // the target of the Get that runs, 0 outside one
    // The parameter file as it stood when the Send began.
    struct FileState {
        QString path;
        QDateTime modified;
    } m_fileBefore;
    bool m_valuesRead = false; // by the Get or teach that runs
    bool m_refreshQueued = false;
    bool m_askEeprom = true;
    bool m_closeAsked = false;
    bool m_closeDiscarded = false;
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
