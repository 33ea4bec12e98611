// Mouse, Space, a list's keys and a screen reader act the same, once; ".dat" is added however a
// file dialog is accepted; a number out of range takes the limit and says so; a live view goes on
// while a service tool's dialog is open. All tools attached.
#include "SensorLink.h"

#include <extras/extras.h>
#include <paramguard/ParameterGuard.h>

#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QCompleter>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <optional>

using namespace testing;

namespace {

constexpr std::pair<const char*, Way> kWays[] = {
    {"mouse", Way::Mouse}, {"space", Way::Space}, {"screen reader", Way::ScreenReader}};
enum class Pick { Keys, ScreenReaderItem, ScreenReaderRow };

// A target radio button chosen from another, the target set, and Send's order code (0: a file).
struct TargetCase {
    Way way;
    int from, chosen, target;
    QList<int> ramEepromFile;
    int order;
};

void actAndSettle(QAbstractButton* button, Way way) {
    actOn(button, way);
    QVERIFY(buttonsUp());
    dispatchPending();
}

void pick(QComboBox* ring, int row, Pick how) {
    if (how == Pick::Keys) {
        ring->setFocus(Qt::TabFocusReason);
        QTest::keyClick(ring, Qt::Key_Down, Qt::AltModifier);
        QTest::keyClick(ring->view(), Qt::Key_Home);
        for (int i = 0; i < row; ++i)
            QTest::keyClick(ring->view(), Qt::Key_Down);
        QTest::keyClick(ring->view(), Qt::Key_Return);
    } else {
        QAccessibleInterface* list = accessible(ring)->child(0);
        if (how == Pick::ScreenReaderItem)
            list->child(row)->actionInterface()->doAction(
                QAccessibleActionInterface::toggleAction());
        else
            QVERIFY(list->tableInterface()->selectRow(row));
    }
    QApplication::processEvents();
    dispatchPending();
}

QPushButton* okButton(QFileDialog* dialog) {
    return dialog->findChild<QDialogButtonBox*>()->button(
        dialog->acceptMode() == QFileDialog::AcceptSave ? QDialogButtonBox::Save
                                                        : QDialogButtonBox::Open);
}

// Accepted by Return in the name field, or else by OK pressed that way.
void acceptFileDialog(QFileDialog* dialog, const QString& directory, const QString& name,
                      std::optional<Way> how) {
    // As the window manager does: the dialog has the keyboard.
    QApplication::setActiveWindow(dialog);
    dialog->setDirectory(directory);
    auto* field = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    field->setFocus(Qt::TabFocusReason);
    field->selectAll();
    QTest::keyClicks(field, name);
    // As the operator does with the list of names that begin so, where it shows.
    if (field->completer())
        field->completer()->popup()->hide();
    if (how)
        actOn(okButton(dialog), *how);
    else
        QTest::keyClick(field, Qt::Key_Return);
}

// Accepts the next file dialog; what is still open then is cancelled, so as to fail, not hang.
void acceptNextFileDialog(QTimer& poll, const QString& directory, const QString& name,
                          std::optional<Way> how) {
    enum class Step { Waiting, Accepting, Accepted };
    auto step = std::make_shared<Step>(Step::Waiting);
    QObject::connect(&poll, &QTimer::timeout, &poll, [&poll, directory, name, how, step] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* message = qobject_cast<QMessageBox*>(modal))
            message->done(0);
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        if (!dialog) {
            if (*step == Step::Accepted)
                poll.stop();
        } else if (*step == Step::Accepted) {
            if (!okButton(dialog)->isDown())
                dialog->reject();
        } else if (*step == Step::Waiting) {
            // Out of this handler, so that a message the dialog shows meanwhile meets the poll.
            *step = Step::Accepting;
            QTimer::singleShot(0, dialog, [dialog, directory, name, how, step] {
                acceptFileDialog(dialog, directory, name, how);
                *step = Step::Accepted;
            });
        }
    });
    poll.start(10);
}

QFileDialog* openFileDialog() {
    for (QWidget* widget : QApplication::allWidgets())
        if (auto* dialog = qobject_cast<QFileDialog*>(widget); dialog && dialog->isVisible())
            return dialog;
    return nullptr;
}

struct Field {
    int control;
    int word; // in the packet
    int maximum;
    const char* name;
};
constexpr Field kFields[] = {
    {CTRL_POWER0, 0, 1000, "Power 0"},      {CTRL_POWER1, 1, 1000, "Power 1"},
    {CTRL_REFERENCE, 2, 1023, "Reference"}, {CTRL_TOLERANCE, 3, 1023, "Tolerance"},
    {CTRL_POLARITY, 5, 1, "Polarity"},      {CTRL_ANA_MODE, 6, 65535, "Analog mode"},
    {CTRL_AVERAGE, 8, 65535, "Averaging"},  {CTRL_TEACH_AB, 9, 1023, "Teach A/B"},
    {CTRL_TEACH_CD, 10, 1023, "Teach C/D"}, {CTRL_TEACH_THD, 11, 1023, "Teach threshold"},
};

// How a number reaches a value field: typed and left, set through its value interface as a
// screen reader does, a step of a key from the value shown, or a screen reader's Increase.
enum class Entry { Typed, ScreenReader, DownArrow, PageDown, UpArrow, Increase };

} // namespace

class WaysOfActing : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_tool = std::make_unique<ToolWithSensor>(AttachServiceTools);
        m_tool->connect();
        m_dir = std::make_unique<QTemporaryDir>();
        m_eepromAsked = 0;
        paramguard::setEepromAnswer([this](const auto&) {
            ++m_eepromAsked;
            return paramguard::EepromAnswer{true, false};
        });
    }
    void cleanup() {
        m_tool.reset();
        platform::setFileSelectAnswer({});
        paramguard::setEepromAnswer({});
    }

    void targetChosenAnyWayIsTheOneSendWrites_data() {
        QTest::addColumn<TargetCase>("row");
        for (const auto& [name, way] : kWays) {
            QTest::addRow("%s: EEPROM chosen", name)
                << TargetCase{way, CTRL_RAM, CTRL_EEPROM, EEPROM, {0, 1, 0}, 3};
            QTest::addRow("%s: RAM chosen from EEPROM", name)
                << TargetCase{way, CTRL_EEPROM, CTRL_RAM, RAM, {1, 0, 0}, 1};
            QTest::addRow("%s: EEPROM switched off", name)
                << TargetCase{way, CTRL_EEPROM, CTRL_EEPROM, RAM, {1, 0, 0}, 1};
            QTest::addRow("%s: File chosen", name)
                << TargetCase{way, CTRL_RAM, CTRL_FILE, DATFILE, {0, 0, 1}, 0};
            QTest::addRow("%s: EEPROM chosen from File", name)
                << TargetCase{way, CTRL_FILE, CTRL_EEPROM, EEPROM, {0, 1, 0}, 3};
        }
    }

    void targetChosenAnyWayIsTheOneSendWrites() {
        QFETCH(TargetCase, row);
        const int order = row.order;
        if (row.from != CTRL_RAM)
            click(row.from);
        actAndSettle(control<QRadioButton>(row.chosen), row.way);
        QCOMPARE(target, row.target);
        QCOMPARE((QList<int>{shown(CTRL_RAM), shown(CTRL_EEPROM), shown(CTRL_FILE)}),
                 row.ramEepromFile);

        const QString file = m_dir->filePath(QStringLiteral("sent.dat"));
        platform::setFileSelectAnswer([&file](const auto&, std::string& path) {
            path = file.toStdString();
            return kNewFileSelected;
        });
        m_tool->sensor().clearReceivedFrames();
        m_eepromAsked = 0;
        click(CTRL_SEND);
        // An EEPROM write is backed up first.
        const std::vector<int> orders = order == 3 ? std::vector<int>{4, 3}
                                        : order    ? std::vector<int>{order}
                                                   : std::vector<int>{};
        if (order)
            QVERIFY((*m_tool)->waitForFrames(orders.size(), 5s));
        QCOMPARE(ordersSent(m_tool->sensor()), orders);
        QCOMPARE(m_eepromAsked, order == 3 ? 1 : 0);
        QCOMPARE(QFile::exists(file), order == 0);
    }

    void recordStartsAndStopsAnyWay_data() {
        QTest::addColumn<Way>("way");
        for (const auto& [name, way] : kWays)
            QTest::newRow(name) << way;
    }

    void recordStartsAndStopsAnyWay() {
        QFETCH(Way, way);
        const QString file = m_dir->filePath(QStringLiteral("run.csv"));
        int asked = 0;
        platform::setFileSelectAnswer([&file, &asked](const auto&, std::string& path) {
            ++asked;
            path = file.toStdString();
            return kNewFileSelected;
        });
        auto* record = panelChild<QPushButton>(QStringLiteral("recordButton"));
        actAndSettle(record, way);
        QCOMPARE(asked, 1);
        QVERIFY(record->isChecked());
        QVERIFY(QFile::exists(file));
        actAndSettle(record, way);
        QCOMPARE(asked, 1);
        QVERIFY(!record->isChecked());
    }

    void dropDownPickedAnyWay_data() {
        QTest::addColumn<Pick>("how");
        QTest::newRow("keys in the list") << Pick::Keys;
        QTest::newRow("screen reader: the item's toggle") << Pick::ScreenReaderItem;
        QTest::newRow("screen reader: the list's row selected") << Pick::ScreenReaderRow;
    }

    void dropDownPickedAnyWay() {
        // Hardware mode 3 (not 0) greys the tolerance; Send writes both modes as picked.
        QFETCH(Pick, how);
        pick(control<QComboBox>(CTRL_HW_MODE), 0, how);
        QVERIFY(control(CTRL_TOLERANCE)->isEnabled());
        pick(control<QComboBox>(CTRL_HW_MODE), 3, how);
        QVERIFY(!control(CTRL_TOLERANCE)->isEnabled());
        pick(control<QComboBox>(CTRL_EVAL_MODE), 2, how);
        QCOMPARE(unsentCount(), QStringLiteral("* 2 values not sent"));
        sendWrites({{4, 3}, {7, 2}});
        // A greyed drop-down takes no pick from a screen reader either.
        control(CTRL_HW_MODE)->setEnabled(false);
        pick(control<QComboBox>(CTRL_HW_MODE), 1, how == Pick::Keys ? Pick::ScreenReaderItem : how);
        QCOMPARE(shown(CTRL_HW_MODE), 3);
    }

    void fileDialogAddsTheExtensionHoweverAccepted_data() {
        QTest::addColumn<std::optional<Way>>("how"); // OK pressed so; none: Return in the name
        QTest::addColumn<bool>("save");
        for (const bool save : {true, false}) {
            const char* command = save ? "save" : "load";
            QTest::addRow("%s, Return in the name field", command) << std::optional<Way>() << save;
            for (const auto& [name, way] : kWays)
                QTest::addRow("%s, OK by %s", command, name) << std::optional(way) << save;
        }
    }

    void fileDialogAddsTheExtensionHoweverAccepted() {
        QFETCH(std::optional<Way>, how);
        QFETCH(bool, save);
        const QString typed = m_dir->filePath(QStringLiteral("foo.txt"));
        const QString used = typed + QStringLiteral(".dat");
        click(CTRL_FILE);
        if (save) {
            typeInto(CTRL_REFERENCE, 444);
        } else {
            QFile file(used);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("500 500 555 100 0 1 0 0 0 100 700 400 0 0 0 0\n");
        }
        QTimer poll;
        acceptNextFileDialog(poll, m_dir->path(), QStringLiteral("foo.txt"), how);
        click(save ? CTRL_SEND : CTRL_GET);
        QVERIFY(QFile::exists(used));
        QVERIFY(!QFile::exists(typed));
        QCOMPARE(shown(CTRL_REFERENCE), save ? 444 : 555);
        if (save) {
            QFile file(used);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll().split('\n').value(2).trimmed(), QByteArray("444"));
        }
    }

    void numbersOutsideTheRangeTakeTheLimit_data() {
        QTest::addColumn<Field>("field");
        QTest::addColumn<QString>("asked");
        QTest::addColumn<Entry>("entry");
        QTest::addColumn<int>("taken");
        // Power 0 and the teach threshold as a live view showed them before, above the range.
        QTest::addColumn<bool>("afterLiveView");
        for (const Field& field : kFields) {
            const QString above = QString::number(field.maximum + 1);
            QTest::addRow("%s, %s", field.name, qPrintable(above))
                << field << above << Entry::Typed << field.maximum << false;
            QTest::addRow("%s, -5", field.name) << field << "-5" << Entry::Typed << 0 << false;
        }
        const auto of = [](int control) {
            return *std::ranges::find(kFields, control, &Field::control);
        };
        const Field power0 = of(CTRL_POWER0);
        QTest::newRow("Reference, 2000")
            << of(CTRL_REFERENCE) << "2000" << Entry::Typed << 1023 << false;
        QTest::newRow("Polarity, 5") << of(CTRL_POLARITY) << "5" << Entry::Typed << 1 << false;
        QTest::newRow("Teach A/B, 2000 by a screen reader")
            << of(CTRL_TEACH_AB) << "2000" << Entry::ScreenReader << 1023 << false;
        QTest::newRow("Reference, 1023")
            << of(CTRL_REFERENCE) << "1023" << Entry::Typed << 1023 << false;
        QTest::newRow("Averaging, 0") << of(CTRL_AVERAGE) << "0" << Entry::Typed << 0 << false;
        QTest::newRow("Power 0, 1500 after the live view showed 2000")
            << power0 << "1500" << Entry::Typed << 1000 << true;
        QTest::newRow("Teach threshold, 1500 by a screen reader after the live view showed 2000")
            << of(CTRL_TEACH_THD) << "1500" << Entry::ScreenReader << 1023 << true;
        // A step from the value above the range lands in the range.
        QTest::newRow("Power 0, down arrow from 2000")
            << power0 << "1999" << Entry::DownArrow << 1000 << true;
        QTest::newRow("Power 0, page down from 2000")
            << power0 << "1990" << Entry::PageDown << 1000 << true;
        // A step up from 700, which the program has just set and holds for the next redraw (the
        // key acts on it all the same), or shows.
        QTest::newRow("Reference, up arrow on 700 just set")
            << of(CTRL_REFERENCE) << "701" << Entry::UpArrow << 701 << false;
        QTest::newRow("Reference, a screen reader's increase from 700")
            << of(CTRL_REFERENCE) << "701" << Entry::Increase << 701 << false;
    }

    void numbersOutsideTheRangeTakeTheLimit() {
        QFETCH(Field, field);
        QFETCH(QString, asked);
        QFETCH(Entry, entry);
        QFETCH(int, taken);
        QFETCH(bool, afterLiveView);
        if (afterLiveView) {
            m_tool->runLiveViewShowing(2000, 2000);
            QCOMPARE(control<QSpinBox>(field.control)->text(), QStringLiteral("2000"));
        }
        // Nothing is said of a number in range.
        const QString said = asked.toInt() == taken
                                 ? QString()
                                 : QStringLiteral("%1: %2 is out of range (0 to %3), set to %4")
                                       .arg(QLatin1String(field.name), asked)
                                       .arg(field.maximum)
                                       .arg(taken);
        chooseItem(CTRL_HW_MODE, 0); // the tolerance takes input
        dispatchPending();
        SetCtrlVal(panelHandle, CTRL_STATUS, "before");
        auto* spin = control<QSpinBox>(field.control);
        QAccessibleValueInterface* value = accessible(spin)->valueInterface();
        if (entry == Entry::ScreenReader) {
            value->setCurrentValue(asked.toInt());
        } else if (entry == Entry::Increase) {
            SetCtrlVal(panelHandle, field.control, asked.toInt() - 1);
            dispatchPending();
            // As the accessibility bridge does it.
            value->setCurrentValue(value->currentValue().toInt() +
                                   value->minimumStepSize().toInt());
        } else if (entry == Entry::Typed) {
            spin->setFocus(Qt::TabFocusReason);
            spin->selectAll();
            QTest::keyClicks(spin, asked);
            QCOMPARE(spin->text(), QString::number(taken));
            QTest::keyClick(spin, Qt::Key_Tab);
        } else {
            spin->setFocus(Qt::TabFocusReason);
            if (entry == Entry::UpArrow)
                SetCtrlVal(panelHandle, field.control, asked.toInt() - 1);
            QTest::keyClick(spin, entry == Entry::UpArrow     ? Qt::Key_Up
                                  : entry == Entry::DownArrow ? Qt::Key_Down
                                                              : Qt::Key_PageDown);
        }
        QCOMPARE(spin->text(), QString::number(taken));
        if (entry == Entry::UpArrow || entry == Entry::Increase)
            QCOMPARE(unsentCount(), QStringLiteral("* 1 value not sent"));
        // Said on the status line, and under the field as a notification for screen readers.
        QCOMPARE(statusText(), said.isEmpty() ? QStringLiteral("before") : said);
        auto* notice = panelChild<QLabel>(QStringLiteral("noticeOf_") + spin->objectName());
        QCOMPARE(notice && notice->isVisible(), !said.isEmpty());
        if (notice) {
            QCOMPARE(accessible(notice)->role(), QAccessible::Notification);
            QCOMPARE(accessible(notice)->text(QAccessible::Name), said);
        }
        sendWrites({{field.word, taken}});
    }

    void commandsTakeTheNumberBeingTyped_data() {
        // A shortcut and a screen reader's press leave the focus in the field, unlike a click.
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("byScreenReader");
        for (const char* typed : {"", "+"}) {
            QTest::addRow("\"%s\", Ctrl+S", typed) << typed << false;
            QTest::addRow("\"%s\", Send pressed by a screen reader", typed) << typed << true;
        }
    }

    void commandsTakeTheNumberBeingTyped() {
        QFETCH(QString, typed);
        QFETCH(bool, byScreenReader);
        auto* reference = control<QSpinBox>(CTRL_REFERENCE);
        const int kept = reference->value();
        reference->setFocus(Qt::TabFocusReason);
        reference->selectAll();
        QTest::keyClick(reference, Qt::Key_Backspace);
        QTest::keyClicks(reference, typed);
        QCOMPARE(reference->text(), typed);

        m_tool->sensor().clearReceivedFrames();
        if (byScreenReader)
            actOn(control<QPushButton>(CTRL_SEND), Way::ScreenReader);
        else
            QTest::keyClick(reference, Qt::Key_S, Qt::ControlModifier);
        QVERIFY(buttonsUp());
        dispatchPending();
        QVERIFY((*m_tool)->waitForFrames(1, 5s));
        // What was sent is what the field shows, and the field says why it shows it.
        QCOMPARE(reference->text(), QString::number(kept));
        QCOMPARE(sim::decodeWords((*m_tool)->receivedFrames()[0])[2], kept);
        auto* notice = panelChild<QLabel>(QStringLiteral("noticeOf_") + reference->objectName());
        QVERIFY(notice && notice->isVisible());
        QCOMPARE(notice->text(), QStringLiteral("Reference: no number typed, kept %1").arg(kept));
    }

    void theRunGoesOnWhileADialogIsOpen_data() {
        QTest::addColumn<QString>("opener");
        QTest::newRow("Record") << "recordButton";
        QTest::newRow("Export") << "exportButton";
        QTest::newRow("Log: Save") << "Save log";
        QTest::newRow("Compare: Add file") << "addFile";
    }

    void theRunGoesOnWhileADialogIsOpen() {
        QFETCH(QString, opener);
        // The log and the Compare window are open before the run; the Compare window stays.
        panelChild<QAbstractButton>(QStringLiteral("Log"))->click();
        panelChild<QAbstractButton>(QStringLiteral("compareButton"))->click();
        dispatchPending();
        auto* button = panelChild<QAbstractButton>(opener);
        QVERIFY(button && button->isVisible());
        // No device can be named during the run.
        auto* byPath = panelChild<QAbstractButton>(QStringLiteral("Connect to a device by path"));
        // A dialog that held the run up would hold this test up too: it is closed after a bound.
        QTimer bound;
        bound.setSingleShot(true);
        connect(&bound, &QTimer::timeout, [] {
            if (QFileDialog* dialog = openFileDialog())
                dialog->reject();
        });
        std::size_t openedAt = 0;
        bool requestsWhileOpen = false, byPathDimmed = false;
        m_tool->run([&] {
            QFileDialog* dialog = openFileDialog();
            if (openedAt == 0 && m_tool->requests() >= 2) {
                openedAt = m_tool->requests();
                bound.start(10s);
                button->click();
            } else if (dialog && m_tool->requests() >= openedAt + 5) {
                requestsWhileOpen = true;
                byPathDimmed = !byPath->isEnabled();
                dialog->reject();
            } else if (openedAt > 0 && !dialog) {
                click(CTRL_STOP, false);
            }
        });
        QVERIFY(requestsWhileOpen);
        QCOMPARE(statusText(), QStringLiteral("Line Ok!"));
        QVERIFY(byPathDimmed);
        QVERIFY(byPath->isEnabled());
    }

private:
    // Send puts these words, by their place in the packet, on the wire.
    void sendWrites(std::initializer_list<std::pair<int, int>> words) {
        m_tool->sensor().clearReceivedFrames();
        click(CTRL_SEND);
        QVERIFY((*m_tool)->waitForFrames(1, 5s));
        const sim::Words sent = sim::decodeWords((*m_tool)->receivedFrames()[0]);
        for (const auto& [word, value] : words)
            QCOMPARE(sent[word], value);
    }

    std::unique_ptr<ToolWithSensor> m_tool;
    std::unique_ptr<QTemporaryDir> m_dir;
    int m_eepromAsked = 0;
};

QTEST_MAIN(WaysOfActing)
#include "tst_ways_of_acting.moc"
