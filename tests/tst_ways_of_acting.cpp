// Mouse, Space, a list's keys and a screen reader act the same, once; ".dat" is added however a
// file dialog is accepted; a number out of range takes the limit and says so. All tools attached.
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

using namespace testing;

namespace {

enum class Way { Mouse, Space, ScreenReader };
constexpr std::pair<const char*, Way> kWays[] = {
    {"mouse", Way::Mouse}, {"space", Way::Space}, {"screen reader", Way::ScreenReader}};
enum class Pick { Keys, ScreenReaderItem, ScreenReaderRow };
enum class Accept { ReturnInName, MouseOnOk, SpaceOnOk, ScreenReaderOnOk };

// A target radio button chosen from another, the target set, and Send's order code (0: a file).
struct TargetCase {
    Way way;
    int from, chosen, target;
    QList<int> ramEepromFile;
    int order;
};

QAccessibleInterface* accessible(QWidget* widget) {
    return QAccessible::queryAccessibleInterface(widget);
}

// A screen reader uses the action the button offers, Press or Toggle.
void actOn(QAbstractButton* button, Way way) {
    if (way == Way::Mouse) {
        const bool radio = qobject_cast<QRadioButton*>(button);
        QTest::mouseClick(button, Qt::LeftButton, {},
                          radio ? QPoint(8, button->height() / 2) : button->rect().center());
    } else if (way == Way::Space) {
        button->setFocus(Qt::TabFocusReason);
        QTest::keyClick(button, Qt::Key_Space);
    } else {
        QAccessibleActionInterface* actions = accessible(button)->actionInterface();
        const QString action = button->isCheckable() ? QAccessibleActionInterface::toggleAction()
                                                     : QAccessibleActionInterface::pressAction();
        QVERIFY(actions->actionNames().contains(action));
        actions->doAction(action);
    }
    QVERIFY(QTest::qWaitFor([button] { return !button->isDown(); }));
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
    const auto* box = dialog->findChild<QDialogButtonBox*>();
    for (QAbstractButton* button : box->buttons())
        if (box->buttonRole(button) == QDialogButtonBox::AcceptRole)
            return qobject_cast<QPushButton*>(button);
    return nullptr;
}

void acceptFileDialog(QFileDialog* dialog, const QString& directory, const QString& name,
                      Accept how) {
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
    QPushButton* ok = okButton(dialog);
    if (how == Accept::ReturnInName) {
        QTest::keyClick(field, Qt::Key_Return);
    } else if (how == Accept::MouseOnOk) {
        QTest::mouseClick(ok, Qt::LeftButton);
    } else if (how == Accept::SpaceOnOk) {
        ok->setFocus(Qt::TabFocusReason);
        QTest::keyClick(ok, Qt::Key_Space);
    } else {
        accessible(ok)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    }
}

// Accepts the next file dialog; what is still open then is cancelled, so as to fail, not hang.
void acceptNextFileDialog(QTimer& poll, const QString& directory, const QString& name, Accept how) {
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

QString unsentCount() {
    QCoreApplication::sendPostedEvents();
    // As it reads: its second line, if any, after the first.
    return panelWidget()->findChild<QLabel*>(QStringLiteral("unsentCount"))->text().simplified();
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

} // namespace

using ChangeOf = std::function<void(QSpinBox*)>;

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
        actOn(control<QRadioButton>(row.chosen), row.way);
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
        if (order)
            QVERIFY((*m_tool)->waitForFrames(1, 5s));
        QCOMPARE(ordersSent(m_tool->sensor()),
                 order ? std::vector<int>{order} : std::vector<int>{});
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
        auto* record = panelWidget()->findChild<QPushButton*>(QStringLiteral("recordButton"));
        actOn(record, way);
        QCOMPARE(asked, 1);
        QVERIFY(record->isChecked());
        QCOMPARE(record->text(), QStringLiteral("Stop recording"));
        QVERIFY(QFile::exists(file));
        actOn(record, way);
        QCOMPARE(asked, 1);
        QVERIFY(!record->isChecked());
        QCOMPARE(record->text(), QStringLiteral("Record..."));
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
        QTest::addColumn<Accept>("how");
        QTest::addColumn<bool>("save");
        const std::pair<const char*, Accept> ways[] = {
            {"Return in the name field", Accept::ReturnInName},
            {"OK by mouse", Accept::MouseOnOk},
            {"OK by Space", Accept::SpaceOnOk},
            {"OK by a screen reader", Accept::ScreenReaderOnOk}};
        for (const auto& [name, how] : ways) {
            QTest::addRow("save, %s", name) << how << true;
            QTest::addRow("load, %s", name) << how << false;
        }
    }

    void fileDialogAddsTheExtensionHoweverAccepted() {
        QFETCH(Accept, how);
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

    void typedNumbersOutsideTheRangeTakeTheLimit_data() {
        QTest::addColumn<Field>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("byScreenReader"); // the value set through its value interface
        QTest::addColumn<int>("taken");
        // Power 0 and the teach threshold as a live view showed them before, above the range.
        QTest::addColumn<bool>("afterLiveView");
        for (const Field& field : kFields) {
            const QString above = QString::number(field.maximum + 1);
            QTest::addRow("%s, %s", field.name, qPrintable(above))
                << field << above << false << field.maximum << false;
            QTest::addRow("%s, -5", field.name) << field << "-5" << false << 0 << false;
        }
        const auto of = [](int control) {
            return *std::ranges::find(kFields, control, &Field::control);
        };
        QTest::newRow("Reference, 2000") << of(CTRL_REFERENCE) << "2000" << false << 1023 << false;
        QTest::newRow("Polarity, 5") << of(CTRL_POLARITY) << "5" << false << 1 << false;
        QTest::newRow("Teach A/B, 2000 by a screen reader")
            << of(CTRL_TEACH_AB) << "2000" << true << 1023 << false;
        QTest::newRow("Reference, 1023") << of(CTRL_REFERENCE) << "1023" << false << 1023 << false;
        QTest::newRow("Averaging, 0") << of(CTRL_AVERAGE) << "0" << false << 0 << false;
        QTest::newRow("Power 0, 1500 after the live view showed 2000")
            << of(CTRL_POWER0) << "1500" << false << 1000 << true;
        QTest::newRow("Teach threshold, 1500 by a screen reader after the live view showed 2000")
            << of(CTRL_TEACH_THD) << "1500" << true << 1023 << true;
    }

    void typedNumbersOutsideTheRangeTakeTheLimit() {
        QFETCH(Field, field);
        QFETCH(QString, typed);
        QFETCH(bool, byScreenReader);
        QFETCH(int, taken);
        QFETCH(bool, afterLiveView);
        if (afterLiveView) {
            m_tool->runLiveViewShowing(2000, 2000);
            QCOMPARE(control<QSpinBox>(field.control)->text(), QStringLiteral("2000"));
        }
        // Nothing is said of a number in range.
        const QString said = typed.toInt() == taken
                                 ? QString()
                                 : QStringLiteral("%1: %2 is out of range (0 to %3), set to %4")
                                       .arg(QLatin1String(field.name), typed)
                                       .arg(field.maximum)
                                       .arg(taken);
        chooseItem(CTRL_HW_MODE, 0); // the tolerance takes input
        dispatchPending();
        SetCtrlVal(panelHandle, CTRL_STATUS, "before");
        auto* spin = control<QSpinBox>(field.control);
        if (byScreenReader) {
            accessible(spin)->valueInterface()->setCurrentValue(typed.toInt());
        } else {
            spin->setFocus(Qt::TabFocusReason);
            spin->selectAll();
            QTest::keyClicks(spin, typed);
            QCOMPARE(spin->text(), QString::number(taken));
            QTest::keyClick(spin, Qt::Key_Tab);
        }
        QCOMPARE(spin->text(), QString::number(taken));
        // Said on the status line, and under the field as a notification for screen readers.
        QCOMPARE(statusText(), said.isEmpty() ? QStringLiteral("before") : said);
        auto* notice =
            panelWidget()->findChild<QLabel*>(QStringLiteral("noticeOf_") + spin->objectName());
        QCOMPARE(notice && notice->isVisible(), !said.isEmpty());
        if (notice) {
            QCOMPARE(accessible(notice)->role(), QAccessible::Notification);
            QCOMPARE(accessible(notice)->text(QAccessible::Name), said);
        }
        sendWrites({{field.word, taken}});
    }

    void stepsFromAValueAboveTheRangeTakeTheLimit_data() {
        QTest::addColumn<Qt::Key>("key");
        QTest::addColumn<int>("asked");
        QTest::newRow("down arrow") << Qt::Key_Down << 1999;
        QTest::newRow("page down") << Qt::Key_PageDown << 1990;
    }

    void stepsFromAValueAboveTheRangeTakeTheLimit() {
        // The live view showed 2000 in Power 0 (0 to 1000): a step lands in the range.
        QFETCH(Qt::Key, key);
        QFETCH(int, asked);
        m_tool->runLiveViewShowing(2000, 500);
        auto* power0 = control<QSpinBox>(CTRL_POWER0);
        power0->setFocus(Qt::TabFocusReason);
        QTest::keyClick(power0, key);
        QCOMPARE(power0->text(), QStringLiteral("1000"));
        QCOMPARE(statusText(),
                 QStringLiteral("Power 0: %1 is out of range (0 to 1000), set to 1000").arg(asked));
        sendWrites({{0, 1000}});
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
        auto* send = control<QPushButton>(CTRL_SEND);
        if (byScreenReader)
            accessible(send)->actionInterface()->doAction(
                QAccessibleActionInterface::pressAction());
        else
            QTest::keyClick(reference, Qt::Key_S, Qt::ControlModifier);
        QVERIFY(QTest::qWaitFor([send] { return !send->isDown(); }));
        dispatchPending();
        QVERIFY((*m_tool)->waitForFrames(1, 5s));
        // What was sent is what the field shows, and the field says why it shows it.
        QCOMPARE(reference->text(), QString::number(kept));
        QCOMPARE(sim::decodeWords((*m_tool)->receivedFrames()[0])[2], kept);
        auto* notice = panelWidget()->findChild<QLabel*>(QStringLiteral("noticeOf_") +
                                                         reference->objectName());
        QVERIFY(notice && notice->isVisible());
        QCOMPARE(notice->text(), QStringLiteral("Reference: no number typed, kept %1").arg(kept));
    }

    void valueFieldChangedAnyWay_data() {
        // Typed, as everywhere else; a value set by a screen reader as in the range test.
        QTest::addColumn<ChangeOf>("change");
        QTest::newRow("up arrow") << ChangeOf([](QSpinBox* spin) {
            spin->setFocus(Qt::TabFocusReason);
            QTest::keyClick(spin, Qt::Key_Up);
        });
        // As the accessibility bridge's Increase does it.
        QTest::newRow("screen reader: increase") << ChangeOf([](QSpinBox* spin) {
            QAccessibleValueInterface* value = accessible(spin)->valueInterface();
            value->setCurrentValue(value->currentValue().toInt() +
                                   value->minimumStepSize().toInt());
        });
    }

    void valueFieldChangedAnyWay() {
        QFETCH(ChangeOf, change);
        auto* reference = control<QSpinBox>(CTRL_REFERENCE);
        const int before = reference->value();
        change(reference);
        QCOMPARE(reference->value(), before + 1);
        QCOMPARE(unsentCount(), QStringLiteral("* 1 value not sent"));
        sendWrites({{2, before + 1}});
    }

    void aKeyStepsFromTheValueTheProgramSet() {
        // Set by the program and held for the next redraw: the key acts on it all the same.
        auto* reference = control<QSpinBox>(CTRL_REFERENCE);
        reference->setFocus(Qt::TabFocusReason);
        SetCtrlVal(panelHandle, CTRL_REFERENCE, 700);
        QTest::keyClick(reference, Qt::Key_Up);
        QCOMPARE(reference->value(), 701);
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
