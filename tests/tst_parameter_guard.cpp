// Unsent values and their origins, the question before replacing them, Compare, the teach report,
// one exchange at a time (Compare, the port's device by path), every dialog left every way: the
// real panel, the simulated sensor. (The EEPROM confirmation is tst_backups'.)
#include "SensorLink.h"

#include <linklog/LinkLog.h>
#include <paramguard/ParameterGuard.h>
#include <portlist/PortList.h>

#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QToolButton>

#include <algorithm>
#include <set>

using namespace testing;
using sim::Words;
using Orders = std::vector<int>; // the order codes of the requests the sensor had

namespace {

const Words kRam{600, 700, 400, 90, 0, 1, 2, 1, 3, 110, 710, 410, 12, 13, 14, 15};
const Words kEeprom{600, 700, 401, 90, 0, 0, 2, 1, 3, 110, 710, 410, 12, 13, 14, 16};

QString cell(int row, int column) {
    return panelChild<QTableWidget>("compareTable")->item(row, column)->text();
}

const QString kTwoLive = QStringLiteral("* 2 values not sent (2 from the live view)");

using Asked = std::pair<paramguard::Replacing, int>; // what replaces them, the unsent count

// How a dialog a command opened is closed.
enum class Closer { CancelButton, Escape, CloseBox };
struct DialogCase {
    int command;
    int target;
    Way opener;
    Closer closer;
};

} // namespace

class ParameterGuard : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_tool = std::make_unique<ToolWithSensor>([this] { paramguard::attach(m_log); });
        (*m_tool)->setRam(kRam);
        (*m_tool)->setEeprom(kEeprom);
        m_tool->connect();
        m_asked.clear();
        m_discard = false;
        paramguard::setDiscardAnswer([this](paramguard::Replacing by, int count) {
            m_asked.push_back({by, count});
            return m_discard;
        });
    }
    void cleanup() { m_tool.reset(); }

    void marksSayWhoPutTheValueThere() {
        QCOMPARE(unsentCount(), QStringLiteral("No unsent changes"));
        typeInto(CTRL_REFERENCE, 333);
        typeInto(CTRL_POLARITY, 0);
        QCOMPARE(unsentCount(), QStringLiteral("* 2 values not sent"));
        QVERIFY(control(CTRL_REFERENCE)->accessibleDescription().startsWith("Changed"));
        QCOMPARE(panelChild<QLabel>("referenceLabel")->text(), "Reference *");
        click(CTRL_SEND);
        QCOMPARE(unsentCount(), QStringLiteral("No unsent changes"));
        QCOMPARE(panelChild<QLabel>("referenceLabel")->text(), "Reference");

        // The live view's values are not the sensor's: marked as its own, and a plain Send's.
        m_tool->runLiveViewShowing(999, 1000);
        QCOMPARE(unsentCount(), kTwoLive);
        QCOMPARE(panelChild<QLabel>("unsentCount")->accessibleDescription(), kTwoLive);
        QCOMPARE(panelChild<QLabel>("power0Label")->text(), "Power 0 (live)");
        QCOMPARE(panelChild<QLabel>("teachTHDLabel")->text(), "Teach threshold (live)");
        QCOMPARE(panelChild<QLabel>("power1Label")->text(), "Power 1");
        for (QWidget* field : {control(CTRL_POWER0), control(CTRL_TEACH_THD)}) {
            QVERIFY(field->accessibleDescription().startsWith("From the live view"));
            QVERIFY(field->toolTip().startsWith("From the live view"));
        }
        typeInto(CTRL_AVERAGE, 5);
        QCOMPARE(unsentCount(), "* 3 values not sent (2 from the live view)");
        click(CTRL_SEND);
        // A write has no answer: read the sensor once it has the request.
        QVERIFY((*m_tool)->waitForRequestsIn(5s));
        QCOMPARE((*m_tool)->ram()[0], 999);
        QCOMPARE((*m_tool)->ram()[11], 1000);
        QCOMPARE(unsentCount(), QStringLiteral("No unsent changes"));

        // A teach reads back what the sensor now holds, and says what changed.
        typeInto(CTRL_TEACH_AB, 150);
        click(CTRL_TEACH);
        QCOMPARE(unsentCount(), QStringLiteral("No unsent changes"));
        const QString report = m_log.entries().back().text;
        QVERIFY2(report.startsWith("Teach reference: the sensor changed Reference 333 \u2192 "),
                 qPrintable(report));

        // A Send that fails leaves the mark, and so does a Get that fails after it.
        CloseCom(com);
        useClock(m_tool->sensor(), 0);
        typeInto(CTRL_POWER1, 321);
        click(CTRL_SEND);
        QCOMPARE(unsentCount(), QStringLiteral("* 1 value not sent"));
        m_discard = true;
        click(CTRL_GET);
        QCOMPARE(unsentCount(), QStringLiteral("* 1 value not sent"));
    }

    void aFileHoldsValuesNotSentToTheSensor() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("ZULpara.dat"));
        platform::setFileSelectAnswer([&path](const platform::FileSelectRequest&, std::string& to) {
            to = path.toStdString();
            return QFile::exists(path) ? kExistingFileSelected : kNewFileSelected;
        });
        click(CTRL_FILE);
        typeInto(CTRL_REFERENCE, 333);
        click(CTRL_SEND);
        QCOMPARE(unsentCount(), QStringLiteral("* 1 value not sent (1 saved to file)"));
        QCOMPARE(panelChild<QLabel>("referenceLabel")->text(), "Reference (file)");
        QVERIFY(control(CTRL_REFERENCE)
                    ->accessibleDescription()
                    .startsWith("Saved to file, not sent to the sensor."));
        // Loaded, a file's other set is not the sensor's either; Get asks nothing: all is saved.
        Words inFile = shownWords();
        inFile[2] = 250;
        inFile[3] = 95;
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        for (const std::uint16_t word : inFile)
            file.write(QByteArray::number(word) + '\n');
        file.close();
        click(CTRL_GET);
        QCOMPARE(m_asked, (std::vector<Asked>{}));
        QCOMPARE(shown(CTRL_REFERENCE), 250);
        QCOMPARE(unsentCount(), QStringLiteral("* 2 values not sent (2 loaded from file)"));
        QVERIFY(control(CTRL_TOLERANCE)->toolTip().startsWith("Loaded from file"));
        click(CTRL_RAM);
        click(CTRL_SEND);
        QVERIFY((*m_tool)->waitForRequestsIn(5s));
        QCOMPARE((*m_tool)->ram()[2], 250);
        QCOMPARE(unsentCount(), QStringLiteral("No unsent changes"));
    }

    void failedReadsCreateNoMarks_data() {
        QTest::addColumn<int>("command");
        QTest::addColumn<std::set<int>>("silent");
        QTest::addColumn<QString>("marksAfter");
        // A Get that fails shows the parameter set again, in place of the live view's values.
        QTest::newRow("Get") << CTRL_GET << std::set<int>{2} << "No unsent changes";
        QTest::newRow("Teach reference, no answer") << CTRL_TEACH << std::set<int>{6} << kTwoLive;
        QTest::newRow("Teach, its read-back lost") << CTRL_TEACH << std::set<int>{2} << kTwoLive;
        QTest::newRow("Button teach, no answer")
            << CTRL_BUTTON_TEACH << std::set<int>{5} << kTwoLive;
    }
    void failedReadsCreateNoMarks() {
        QFETCH(int, command);
        QFETCH(std::set<int>, silent);
        QFETCH(QString, marksAfter);
        m_tool->runLiveViewShowing(999, 1000);
        (*m_tool)->setSilentOrders(silent);
        useClock(m_tool->sensor(), 0);
        click(command);
        QVERIFY(statusText().startsWith("Timeout"));
        QCOMPARE(unsentCount(), marksAfter);
        // Nothing the operator changed: Get goes straight to the wire.
        (*m_tool)->setSilentOrders({});
        useClock(m_tool->sensor());
        m_tool->sensor().clearReceivedFrames();
        click(CTRL_GET);
        QCOMPARE(m_asked, (std::vector<Asked>{}));
        QCOMPARE(ordersSent(m_tool->sensor()), Orders{2});
        QCOMPARE(shownWords(), (*m_tool)->ram());
        QCOMPARE(unsentCount(), QStringLiteral("No unsent changes"));
    }

    void replacingUnsentChangesAsksFirst_data() {
        QTest::addColumn<paramguard::Replacing>("by");
        QTest::addColumn<std::function<void()>>("act");
        QTest::addColumn<bool>("discard");
        using Act = std::function<void()>;
        using paramguard::Replacing;
        const std::tuple<const char*, Replacing, Act> acts[] = {
            {"Get", Replacing::Get, [] { click(CTRL_GET); }},
            {"the same port", Replacing::PortChange, [] { chooseItem(CTRL_PORT, 0); }},
            {"close box", Replacing::Close, pressCloseBox},
            {"Ctrl+Q", Replacing::Close,
             [] { QTest::keyClick(panelWidget(), Qt::Key_Q, Qt::ControlModifier); }}};
        for (const auto& [name, by, act] : acts)
            for (const bool discard : {false, true})
                QTest::addRow("%s, %s", name, discard ? "discard" : "cancel")
                    << by << act << discard;
        QTest::newRow("another port, cancel")
            << Replacing::PortChange << Act([] { chooseItem(CTRL_PORT, 3); }) << false;
    }
    void replacingUnsentChangesAsksFirst() {
        QFETCH(paramguard::Replacing, by);
        QFETCH(std::function<void()>, act);
        QFETCH(bool, discard);
        m_tool->runLiveViewShowing(999, 1000);
        if (by == paramguard::Replacing::Close) {
            act();
            dispatchPending();
            QCOMPARE(m_asked, (std::vector<Asked>{}));
            QCOMPARE(stop_flag, 1);
        }
        typeInto(CTRL_REFERENCE, 333);
        m_tool->sensor().clearReceivedFrames();
        stop_flag = 0;
        m_discard = discard;
        act();
        dispatchPending();
        // The operator's change only: the live view's values are the sensor's, not lost.
        QCOMPARE(m_asked, (std::vector<Asked>{{by, 1}}));
        QCOMPARE(stop_flag, discard && by == paramguard::Replacing::Close ? 1 : 0);
        QCOMPARE(com, 1);
        QCOMPARE(shown(CTRL_PORT), 1);
        if (!discard || by == paramguard::Replacing::Close) {
            // Asked before the action: nothing sent, nothing changed.
            QCOMPARE(ordersSent(m_tool->sensor()), Orders{});
            QCOMPARE(shown(CTRL_REFERENCE), 333);
            QCOMPARE(unsentCount(), "* 3 values not sent (2 from the live view)");
        } else {
            QCOMPARE(ordersSent(m_tool->sensor()).at(by == paramguard::Replacing::Get ? 0 : 1), 2);
            QCOMPARE(shown(CTRL_REFERENCE), 400);
            QCOMPARE(unsentCount(), "No unsent changes");
        }
    }

    void closingDuringTheLiveViewAsksWithoutStoppingIt_data() {
        QTest::addColumn<bool>("discard");
        QTest::newRow("cancel") << false;
        QTest::newRow("discard") << true;
    }
    void closingDuringTheLiveViewAsksWithoutStoppingIt() {
        QFETCH(bool, discard);
        paramguard::setDiscardAnswer({});
        typeInto(CTRL_REFERENCE, 333);
        // The real question, answered after three more requests (or a while, should the run stall).
        std::size_t asked = 0, answered = 0;
        QElapsedTimer shownFor;
        whileDialogsComeUp(
            [&](QWidget* box) {
                if (!shownFor.isValid()) {
                    shownFor.start();
                    asked = m_tool->requests();
                }
                if (m_tool->requests() < asked + 3 && shownFor.elapsed() < 5000)
                    return false;
                answered = m_tool->requests();
                clickButton(box, discard ? "Discard and close" : "Cancel");
                return true;
            },
            5);
        m_tool->run([this, closed = false]() mutable {
            if (m_tool->requests() == 2 && !std::exchange(closed, true))
                pressCloseBox();
            // Cancelled, the run goes on until Stop.
            if (m_tool->requests() == 20)
                click(CTRL_STOP, false);
        });
        QVERIFY(asked > 0);
        QCOMPARE_GE(answered, asked + 3);
        // Stopped at the twentieth, with at most one more already on the line.
        QCOMPARE_LT(m_tool->requests(), discard ? std::size_t(20) : std::size_t(22));
        QCOMPARE_GE(m_tool->requests(), discard ? answered : std::size_t(20));
        QCOMPARE(statusText(), QStringLiteral("Line Ok!"));
        QCOMPARE(m_log.entries().back().text, discard ? "Close: 1 unsent value(s) discarded"
                                                      : "Close cancelled: 1 unsent value(s) kept");
    }

    void compareReadsWithoutTouchingTheProgram_data() {
        QTest::addColumn<bool>("silent");
        QTest::addColumn<QByteArray>("stray");
        // Ahead of each reply once its request has left the line (-1), or this many ms after
        // each reply, once the next request has left.
        QTest::addColumn<int>("after");
        QTest::newRow("answering") << false << QByteArray() << 0;
        QTest::newRow("8 zeros ahead of each reply") << false << QByteArray(8, '\0') << -1;
        QTest::newRow("CR 25 ms later") << false << QByteArray("\r") << 25;
        QTest::newRow("55 60 ms later") << false << QByteArray("\x55") << 60;
        QTest::newRow("8 zeros 30 ms later") << false << QByteArray(8, '\0') << 30;
        QTest::newRow("silent") << true << QByteArray() << 0;
    }
    void compareReadsWithoutTouchingTheProgram() {
        QFETCH(bool, silent);
        QFETCH(QByteArray, stray);
        QFETCH(int, after);
        if (!stray.isEmpty()) {
            (*m_tool)->setExtraBytes({stray.begin(), stray.end()},
                                     std::chrono::milliseconds(std::max(after, 0)));
            (*m_tool)->setFault(after < 0 ? sim::Fault::BytesAhead : sim::Fault::ExtraBytes);
        }
        typeInto(CTRL_REFERENCE, 333);
        const Words panel = shownWords();
        GetPanelValues();
        CopyVarsToPP();
        pp[15] = 77;
        const Words packet = std::to_array(pp);
        click(CTRL_EEPROM);
        if (silent) {
            (*m_tool)->setFault(sim::Fault::Silent);
            // A Get pressed while Compare waits does not go out.
            platform::setTimerSource([now = 0.0, pressed = false]() mutable {
                if (!std::exchange(pressed, true))
                    click(CTRL_GET, false);
                return now += 0.5;
            });
        }
        QTest::keyClick(panelWidget(), Qt::Key_D, Qt::ControlModifier); // its shortcut
        QVERIFY(buttonsUp());
        dispatchPending();
        QVERIFY((*m_tool)->waitForFrames(2, 5s));
        QCOMPARE(ordersSent(m_tool->sensor()), (Orders{2, 4}));
        QCOMPARE(shownWords(), panel);
        QCOMPARE(std::to_array(pp), packet);
        QCOMPARE(target, EEPROM);
        QCOMPARE(reference, 333);
        QCOMPARE(cell(2, 1), "333");
        if (silent) {
            QCOMPARE(cell(0, 2), "No answer within 2 s");
            QVERIFY(!panelChild<QPushButton>("takeRAM")->isEnabled());
        } else {
            QCOMPARE(cell(2, 2), "\u2260 400");
            QCOMPARE(cell(5, 3), "\u2260 0");
            QCOMPARE(cell(6, 3), "2");
            compareWithFileAndTakeEeprom();
        }
        // Button teach afterwards sends the packet as it was before.
        m_tool->sensor().clearReceivedFrames();
        click(CTRL_BUTTON_TEACH);
        QVERIFY((*m_tool)->waitForFrames(1, 5s));
        QCOMPARE(sim::decodeWords((*m_tool)->receivedFrames()[0]), packet);
    }

    void compareAndThePortByPathWaitForTheExchangeUnderWay_data() {
        QTest::addColumn<int>("command");
        QTest::addColumn<int>("pressedAt"); // requests the sensor has had by then
        QTest::addColumn<Orders>("orders");
        QTest::newRow("Get") << CTRL_GET << 1 << Orders{2};
        QTest::newRow("Teach reference, its answer") << CTRL_TEACH << 1 << Orders{6, 2};
        QTest::newRow("Teach reference, its read-back") << CTRL_TEACH << 2 << Orders{6, 2};
        QTest::newRow("Button teach, its answer") << CTRL_BUTTON_TEACH << 1 << Orders{5, 2};
        QTest::newRow("Button teach, its read-back") << CTRL_BUTTON_TEACH << 2 << Orders{5, 2};
        QTest::newRow("live view") << CTRL_RUN << 2 << Orders{8, 8, 8, 8};
    }
    void compareAndThePortByPathWaitForTheExchangeUnderWay() {
        // Compare and the "..." button beside the port, pressed every way while a (late) reply is
        // awaited, do nothing and ask for no device: greyed until the exchange has ended. Compare
        // pressed before the exchange waits for it.
        QFETCH(int, command);
        QFETCH(int, pressedAt);
        QFETCH(Orders, orders);
        int named = 0;
        m_tool.reset();
        m_tool = std::make_unique<ToolWithSensor>([this, &named] {
            paramguard::attach(m_log);
            portlist::installPortList({}, [this, &named](QWidget*) {
                ++named;
                return QString::fromStdString((*m_tool)->devicePath());
            });
        });
        m_tool->connect();
        QAbstractButton* compare = panelChild<QPushButton>("compareButton");
        QAbstractButton* byPath = panelWidget()->findChild<QToolButton*>();
        QVERIFY(byPath && byPath->isEnabled());
        (*m_tool)->setRam(kEeprom);
        (*m_tool)->setLateReplyDelay(100ms);
        (*m_tool)->setFault(sim::Fault::LateReply);
        // A clock that stands still while the command's orders go right, so that its wait lasts
        // until its (late) reply; the buttons are pressed once the sensor has had pressedAt
        // requests, and a live view is stopped at its last order. A request too many, and the wait
        // it robs times out.
        bool greyed = false;
        QElapsedTimer bound;
        bound.start();
        platform::setTimerSource([this, command, pressedAt, compare, byPath, bound, &greyed,
                                  expected = orders.size(), pressed = false,
                                  now = 1000.0]() mutable {
            if (m_tool->requests() == std::size_t(pressedAt) && !std::exchange(pressed, true)) {
                greyed = !compare->isEnabled() && !byPath->isEnabled();
                QTest::keyClick(panelWidget(), Qt::Key_D, Qt::ControlModifier);
                for (QAbstractButton* button : {compare, byPath}) {
                    actOn(button, Way::Mouse);
                    actOn(button, Way::ScreenReader);
                }
            }
            if (command == CTRL_RUN && m_tool->requests() == expected)
                click(CTRL_STOP, false);
            if (m_tool->requests() > expected || bound.elapsed() > 10000)
                now += 0.25;
            return now;
        });
        click(command);
        QVERIFY(buttonsUp());
        dispatchPending();
        QCOMPARE(ordersSent(m_tool->sensor()), orders);
        // The set the sensor holds, read back by all but the live view.
        if (command != CTRL_RUN)
            QCOMPARE(shownWords(), (*m_tool)->ram());
        QVERIFY(greyed);
        QCOMPARE(named, 0);
        QVERIFY(compare->isEnabled() && byPath->isEnabled());

        (*m_tool)->setRam(kRam);
        showWords(kEeprom);
        m_tool->sensor().clearReceivedFrames();
        orders.insert(orders.end(), {2, 4});
        click(command, false);
        compare->click();
        dispatchPending();
        QVERIFY((*m_tool)->waitForFrames(orders.size(), 5s));
        QCOMPARE(ordersSent(m_tool->sensor()), orders);
        if (command != CTRL_RUN)
            QCOMPARE(shownWords(), (*m_tool)->ram());
    }

    void commandsWorkAfterEveryDialog_data() {
        QTest::addColumn<DialogCase>("row");
        const std::pair<const char*, Way> openers[] = {{"mouse held", Way::MouseHeld},
                                                       {"mouse click", Way::Mouse},
                                                       {"space", Way::Space},
                                                       {"shortcut", Way::Shortcut},
                                                       {"screen reader", Way::ScreenReader}};
        const std::pair<const char*, Closer> closers[] = {{"cancel", Closer::CancelButton},
                                                          {"escape", Closer::Escape},
                                                          {"close box", Closer::CloseBox}};
        // The EEPROM confirmation and file dialog open on Send's press, Get's dialogs on release.
        const std::tuple<const char*, int, int> dialogs[] = {
            {"EEPROM confirmation", CTRL_SEND, CTRL_EEPROM},
            {"file dialog", CTRL_SEND, CTRL_FILE},
            {"question before Get", CTRL_GET, CTRL_RAM},
            {"Get's file dialog", CTRL_GET, CTRL_FILE}};
        for (const auto& [dialog, command, target] : dialogs)
            for (const auto& [opened, opener] : openers)
                for (const auto& [closed, closer] : closers)
                    if (command == CTRL_SEND || opener != Way::MouseHeld)
                        QTest::addRow("%s, %s, %s", dialog, opened, closed)
                            << DialogCase{command, target, opener, closer};
    }
    void commandsWorkAfterEveryDialog() {
        // However a dialog came and went, Send and Get act on the next press of any kind, once.
        QFETCH(DialogCase, row);
        platform::setFileSelectAnswer({});
        // Get's file dialog comes once the question before it is answered, here by discarding.
        if (row.command == CTRL_GET && row.target == CTRL_FILE)
            paramguard::setDiscardAnswer([](paramguard::Replacing, int) { return true; });
        else
            paramguard::setDiscardAnswer({});
        click(row.target);
        typeInto(CTRL_REFERENCE, 333);
        m_tool->sensor().clearReceivedFrames();
        // Shared with the poll, which outlives a failed check.
        const auto closed = std::make_shared<bool>(false);
        whileDialogsComeUp([closer = row.closer, closed](QWidget* dialog) {
            *closed = true;
            if (closer == Closer::CancelButton)
                clickButton(dialog, QStringLiteral("Cancel"));
            else if (closer == Closer::Escape)
                QTest::keyClick(dialog->focusWidget() ? dialog->focusWidget() : dialog,
                                Qt::Key_Escape);
            else
                dialog->close();
            return true;
        });
        actOn(control<QAbstractButton>(row.command), row.opener);
        QVERIFY(waitUntil([&closed] { return *closed && !QApplication::activeModalWidget(); }));
        dispatchPending();
        QVERIFY(buttonsUp());
        // As the window manager does once a dialog has gone.
        QApplication::setActiveWindow(panelWidget());

        click(CTRL_RAM);
        for (const Way way : {Way::Shortcut, Way::Space, Way::ScreenReader, Way::Mouse}) {
            actOn(control<QAbstractButton>(CTRL_SEND), way);
            QVERIFY(buttonsUp());
            dispatchPending();
        }
        actOn(control<QAbstractButton>(CTRL_GET), Way::Shortcut);
        QVERIFY(buttonsUp());
        dispatchPending();
        // The EEPROM confirmation came after the backup's read.
        Orders orders{1, 1, 1, 1, 2};
        if (row.target == CTRL_EEPROM && row.command == CTRL_SEND)
            orders.insert(orders.begin(), 4);
        QVERIFY((*m_tool)->waitForFrames(orders.size(), 5s));
        QCOMPARE(ordersSent(m_tool->sensor()), orders);
        QCOMPARE((*m_tool)->ram()[2], 333);
    }

private:
    void compareWithFileAndTakeEeprom() {
        // An unreadable file says so and changes nothing; a column taken counts as unsent.
        QTemporaryDir dir;
        const QString bad = dir.filePath(QStringLiteral("bad.dat"));
        platform::setFileSelectAnswer([&bad](const auto&, std::string& path) {
            path = bad.toStdString();
            return kExistingFileSelected;
        });
        panelChild<QPushButton>("addFile")->click();
        QCOMPARE(cell(0, 4), "bad.dat: not readable as a parameter file");
        // What follows the sixteenth value is not looked at.
        QFile good(bad);
        QVERIFY(good.open(QIODevice::WriteOnly));
        good.write("600 700 333 90 3 0 2 1 3 110 710 410 12 13 14 16\n70000\nten\n");
        good.close();
        panelChild<QPushButton>("addFile")->click();
        QCOMPARE(cell(2, 4), "333");
        // Hardware mode 3 takes the tolerance from the sensor: its field greys, as on a Get.
        panelChild<QPushButton>("takeFile")->click();
        QVERIFY(!control(CTRL_TOLERANCE)->isEnabled());
        panelChild<QPushButton>("takeEEPROM")->click();
        QVERIFY(control(CTRL_TOLERANCE)->isEnabled());
        QCOMPARE(shownWords(),
                 (Words{600, 700, 401, 90, 0, 0, 2, 1, 3, 110, 710, 410, 12, 13, 14, 15}));
        QCOMPARE(reference, 333);
        QCOMPARE(unsentCount(), QStringLiteral("* 2 values not sent"));
    }

    linklog::LinkLog m_log;
    std::unique_ptr<ToolWithSensor> m_tool;
    std::vector<Asked> m_asked;
    bool m_discard = false;
};

QTEST_MAIN(ParameterGuard)
#include "tst_parameter_guard.moc"
