// What the operator is told, and how the keyboard reaches it, with every service tool attached
// as the program attaches them: the status line named by what it says, the newest outcome under
// it (shown and announced as a notification), the log opened at its newest line, following it,
// and Tab through every control in reading order.
#include "SensorLink.h"

#include <extras/extras.h>
#include <logpanel/logpanel.h>

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QToolButton>

using namespace testing;

namespace {

// What a notification says each time it shows anew, which is when a screen reader reads it.
class Announcements : public QObject {
public:
    bool eventFilter(QObject* object, QEvent* event) override {
        if (event->type() == QEvent::Show)
            said.push_back(accessible(static_cast<QWidget*>(object))->text(QAccessible::Name));
        return false;
    }
    std::vector<QString> said;
};

} // namespace

class Outcomes : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_tool = std::make_unique<ToolWithSensor>(AttachServiceTools);
        (*m_tool)->setRam({500, 600, 512, 90, 0, 1, 0, 0, 0, 100, 700, 400, 0, 0, 0, 0});
        m_tool->connect();
        m_announcements.said.clear();
        panelChild<QLabel>("outcomeLine")->installEventFilter(&m_announcements);
    }

    void cleanup() {
        m_tool.reset();
        unsetenv("NALVO_COM2");
    }

    void eachOutcomeShowsUnderTheStatusLineAndIsSaid_data() {
        QTest::addColumn<std::function<void(Outcomes*)>>("act");
        QTest::addColumn<QStringList>("said");
        // The frames on the wire, logged with the traffic view on, are no outcome.
        QTest::newRow("a Get") << std::function([](Outcomes*) {
            panelWidget()->findChild<QCheckBox*>()->click();
            click(CTRL_GET);
        }) << QStringList{"T-KOR-ZUL simulated sensor 1.0", "Get: read from the sensor's RAM"};
        const auto sendsToAFile = [](std::vector<int> answers) {
            return std::function([answers](Outcomes* self) {
                click(CTRL_FILE);
                const std::string path = self->m_dir.filePath("set.dat").toStdString();
                for (const int answer : answers) {
                    platform::setFileSelectAnswer([path, answer](const auto&, std::string& chosen) {
                        chosen = path;
                        return answer;
                    });
                    click(CTRL_SEND);
                }
            });
        };
        QTest::newRow("Send to a file")
            << sendsToAFile({kNewFileSelected}) << QStringList{"Saved %1/set.dat"};
        // A cancelled dialog leaves the file of the Send before as it was.
        QTest::newRow("Send to a file, cancelled")
            << sendsToAFile({kNewFileSelected, 0}) << QStringList{"Transmit..."};
        QTest::newRow("a teach") << std::function([](Outcomes* self) {
            (*self->m_tool)
                ->setMeasurementOverride(
                    sim::Words{0, 0, 0, 0, 633, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
            click(CTRL_TEACH);
        }) << QStringList{"Teach reference: the sensor changed Reference 512 → 633"};
        // The cause, which the status line's text does not give.
        QTest::newRow("a port that cannot be opened") << std::function([](Outcomes*) {
            setenv("NALVO_COM2", "/dev/nalvo-missing", 1);
            chooseItem(CTRL_PORT, 1);
            dispatchPending();
        }) << QStringList{"No serial port found  (COM2 /dev/nalvo-missing: does not exist)"};
        QTest::newRow("no answer")
            << std::function([](Outcomes* self) {
                   (*self->m_tool)->setSilentOrders({2});
                   useClock(self->m_tool->sensor(), 0);
                   click(CTRL_GET);
               })
            << QStringList{QStringLiteral("Link state: no answer. No reply came before the wait "
                                          "for it ended; the values shown are older."),
                           QStringLiteral("Timeout-RS-232...")};
    }

    void eachOutcomeShowsUnderTheStatusLineAndIsSaid() {
        QFETCH(std::function<void(Outcomes*)>, act);
        QFETCH(QStringList, said);
        said.last() = said.last().arg(m_dir.path());
        const int width = panelWidget()->minimumSizeHint().width();
        act(this);
        // Each shown anew as it comes, so that a screen reader reads each.
        const std::vector<QString>& shown = m_announcements.said;
        QVERIFY(waitUntil([&] { return shown.size() >= std::size_t(said.size()); }));
        QCOMPARE(QStringList(shown.end() - said.size(), shown.end()), said);
        for (const QString& text : shown)
            QVERIFY2(!text.startsWith("->") && !text.startsWith("<-"), qPrintable(text));
        // The status line is named by what it says.
        QWidget* status = control(CTRL_STATUS);
        QCOMPARE(accessible(status)->text(QAccessible::Name), statusText());
        QCOMPARE(accessible(status)->text(QAccessible::Description), "Status line");
        const QString outcome = said.last();
        QLabel* line = panelChild<QLabel>("outcomeLine");
        QCOMPARE(accessible(line)->role(), QAccessible::Notification);
        QCOMPARE(accessible(line)->text(QAccessible::Name), outcome);
        QVERIFY(line->toolTip().endsWith("  " + outcome));
        // Cut short where it is too long for the line, never widening the window.
        const QString text = line->text();
        QVERIFY(text.endsWith("  " + outcome) || text.endsWith(QChar(0x2026)));
        QVERIFY(line->fontMetrics().horizontalAdvance(text) <= line->width());
        QCOMPARE(panelWidget()->minimumSizeHint().width(), width);
    }

    void theLogOpensAtItsNewestLineAndFollowsIt() {
        for (int i = 0; i < 60; ++i)
            SetCtrlVal(panelHandle, CTRL_STATUS, qPrintable(QString::number(i)));
        auto* log = panelWidget()->findChild<QPlainTextEdit*>();
        QScrollBar* bar = log->verticalScrollBar();
        // Its shortcut opens and closes it, every time.
        for (const bool open : {true, false, true}) {
            QTest::keyClick(panelWidget(), Qt::Key_L, Qt::ControlModifier);
            QVERIFY(waitUntil([&] { return panelChild<QToolButton>("Log")->isChecked() == open; }));
            QCOMPARE(log->isVisible(), open);
        }
        QVERIFY(waitUntil([&] { return bar->maximum() > 0 && bar->value() == bar->maximum(); }));
        const auto more = [&] {
            const int lines = log->blockCount();
            SetCtrlVal(panelHandle, CTRL_STATUS, "more");
            logpanel::showHeldLines();
            return log->blockCount() > lines;
        };
        QVERIFY(more());
        QVERIFY(waitUntil([&] { return bar->value() == bar->maximum(); }));
        // Scrolled up, it stays where the operator put it.
        bar->setValue(3);
        QVERIFY(more());
        QCOMPARE(bar->value(), 3);
    }

    void tabReachesEveryControlInReadingOrderAndLeavesEveryTable() {
        const QStringList expected{// The link and the log's switch,
                                   "Port", "Connect to a device by path", "Log",
                                   // the parameters,
                                   "Power 0", "Power 1", "Reference", "Tolerance", "Hardware mode",
                                   "Polarity", "Analog mode", "Averaging", "Evaluation mode",
                                   "Teach A/B", "Teach C/D", "Teach threshold",
                                   // the target, the commands,
                                   "RAM", "Get", "Send", "Compare", "Backups...", "Teach reference",
                                   "Button teach", "Run", "Stop",
                                   // the chart and its tools,
                                   "Chart", "Pause", "Fit", "History", "Record...", "Export...",
                                   "Copy values",
                                   // the open log below them, and round again.
                                   "Log entries", "Traffic", "Copy log", "Save log", "Port"};
        panelChild<QToolButton>("Log")->click();
        control(CTRL_PORT)->setFocus(Qt::TabFocusReason);
        QStringList order;
        while (order.size() < expected.size()) {
            QWidget* focused = QApplication::focusWidget();
            // A drop-down's accessible name is its item: its own name says which it is.
            order << (focused->accessibleName().isEmpty()
                          ? accessible(focused)->text(QAccessible::Name)
                          : focused->accessibleName());
            QTest::keyClick(focused, Qt::Key_Tab);
        }
        QCOMPARE(order, expected);

        // No table traps Tab: from it, Tab reaches every button of its window.
        QTest::keyClick(panelWidget(), Qt::Key_D, Qt::ControlModifier);
        QDialog* compare = nullptr;
        QVERIFY(waitUntil([&] {
            compare = panelWidget()->findChild<QDialog*>(QStringLiteral("compareWindow"));
            return compare && compare->isVisible();
        }));
        QCOMPARE(buttonsTabbedTo(compare), buttonsOf(compare));
        compare->close();
        QStringList reached, all;
        click(CTRL_EEPROM);
        whileDialogsComeUp([&](QWidget* question) {
            reached = buttonsTabbedTo(question);
            all = buttonsOf(question);
            qobject_cast<QDialog*>(question)->reject();
            return true;
        });
        click(CTRL_SEND);
        QVERIFY(!all.isEmpty());
        QCOMPARE(reached, all);
    }

    // Opened as large as the panel wants within its screen, and never needing more than the
    // screen's room less the desktop's panels; opened, the log takes its room from the chart.
    // Run on a field laptop's screen and on a full-HD one at 150 % and 200 %.
    void theWindowFitsItsScreen() {
        // A desktop's top bar and a window's title bar, as GNOME draws them.
        constexpr int kDesktopPanels = 72;
        QWidget* window = panelWidget();
        const QSize room = window->screen()->availableGeometry().size();
        QVERIFY(window->width() <= room.width() && window->height() <= room.height());
        const QSize least = window->minimumSizeHint();
        QVERIFY(least.width() <= room.width() && least.height() <= room.height() - kDesktopPanels);
        QWidget* chart = control(CTRL_RAW_CHART);
        const int chartHeight = chart->height();
        const QSize opened = window->size();
        panelChild<QToolButton>("Log")->click();
        QApplication::processEvents();
        QCOMPARE(window->size(), opened);
        QCOMPARE(window->minimumSizeHint(), least);
        QVERIFY(chart->height() < chartHeight);
        auto* entries = window->findChild<QPlainTextEdit*>();
        QVERIFY(entries->isVisible());
        QVERIFY(entries->viewport()->height() >= 3 * entries->fontMetrics().lineSpacing());
        // A window that opened with room to spare shows the open log without scrolling.
        auto* scroll = window->findChild<QScrollArea*>();
        if (opened.height() < room.height() - kDesktopPanels)
            QVERIFY(!scroll->verticalScrollBar()->isVisible());
        // On the laptop's 1366 x 768 the whole panel shows, log open, without scrolling.
        const QSize whole =
            scroll->widget()->minimumSizeHint() + QSize(0, window->height() - scroll->height());
        QVERIFY2(whole.width() <= 1366 && whole.height() <= 768 - kDesktopPanels,
                 qPrintable(QStringLiteral("%1 x %2").arg(whole.width()).arg(whole.height())));
    }

private:
    static QStringList buttonsOf(QWidget* window) {
        QStringList texts;
        for (QPushButton* button : window->findChildren<QPushButton*>())
            if (button->isVisible() && button->isEnabled())
                texts << button->text();
        texts.sort();
        return texts;
    }
    static QStringList buttonsTabbedTo(QWidget* window) {
        QApplication::setActiveWindow(window);
        window->findChild<QTableWidget*>()->setFocus(Qt::TabFocusReason);
        QStringList texts;
        for (int i = 0; i < 10; ++i) {
            QTest::keyClick(window->focusWidget(), Qt::Key_Tab);
            if (auto* button = qobject_cast<QPushButton*>(window->focusWidget()))
                texts << button->text();
        }
        texts.removeDuplicates();
        texts.sort();
        return texts;
    }

    std::unique_ptr<ToolWithSensor> m_tool;
    Announcements m_announcements;
    QTemporaryDir m_dir;
};

QTEST_MAIN(Outcomes)
#include "tst_outcomes.moc"
