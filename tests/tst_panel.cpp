// The real panel file and the seam on it: what the loader refuses, the events actions raise,
// what the controls show, how the start-up values and info texts land.
#include "NumericDisplay.h"
#include "SensorLink.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>

#include <qcustomplot.h>

#include <cmath>
#include <map>

using namespace testing;

namespace {

// Callbacks under the panel file's names that record each event instead of acting on it.
struct RecordedEvent {
    int control; // -1 for the panel
    int event;
    bool operator==(const RecordedEvent&) const = default;
};
std::vector<RecordedEvent> g_recorded;

int recordControl(int, int control, int event, void*, int, int) {
    g_recorded.push_back({control, event});
    return 0;
}

int recordPanel(int panel, int event, void* data, int, int) {
    return recordControl(panel, -1, event, data, 0, 0);
}

// A fresh program with the recording table.
void registerRecorders() {
    static const std::vector<CallbackEntry> table = [] {
        std::vector<CallbackEntry> entries{{"CC_PANEL", nullptr, recordPanel}};
        for (const char* name :
             {"CC_DropDEvalmode", "CC_DropHWMode", "CC_DropDCom", "CC_RBTRam", "CC_RBTEeprom",
              "CC_RBTFile", "CC_BTNGet", "CC_BTNSend", "CC_BTNRun", "CC_BTNStop", "CC_BTNTeach",
              "CC_ButtonTeach", "CC_DropSignaltype"})
            entries.push_back({name, recordControl, nullptr});
        return entries;
    }();
    freshProgram();
    g_recorded.clear();
    RegisterCallbacks(table);
}

// A key pressed with the panel active, and a button it clicks back up.
void pressKeys(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
    QTest::keyClick(panelWidget(), key, modifiers);
    QVERIFY(QTest::qWaitFor([] {
        for (QPushButton* button : panelWidget()->findChildren<QPushButton*>())
            if (button->isDown())
                return false;
        return true;
    }));
}

// A screen reader's action on a button, which lets it go a moment later.
void screenReaderAction(int button, const QString& action) {
    QAccessible::queryAccessibleInterface(control(button))->actionInterface()->doAction(action);
    QVERIFY(QTest::qWaitFor([button] { return !control<QAbstractButton>(button)->isDown(); }));
}

QByteArray realPanelFile() {
    QFile file(QCoreApplication::applicationDirPath() + QStringLiteral("/Nalvo-ZUridozU10.uir"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

double luminance(QColor color) {
    auto channel = [](double c) {
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(color.redF()) + 0.7152 * channel(color.greenF()) +
           0.0722 * channel(color.blueF());
}

// What a numeric display shows: a segment is lit where its middle pixel is not the background.
QString drawnDigits(QWidget* display) {
    const QImage image = display->grab().toImage().scaled(display->size());
    const QRgb background = image.pixel(2, 2);
    const auto layout = platform::NumericDisplay::layoutFor(display->size(), 5);
    const int l = layout.segmentLength;
    const int t = l / 10;
    // Top, upper right, lower right, bottom, lower left, upper left, middle.
    const std::array<QPoint, 7> middles{QPoint(l / 2, t),         QPoint(l - t, l / 2),
                                        QPoint(l - t, 3 * l / 2), QPoint(l / 2, 2 * l - t),
                                        QPoint(t, 3 * l / 2),     QPoint(t, l / 2),
                                        QPoint(l / 2, l)};
    const std::map<int, QChar> characters{{0x00, ' '}, {0x3f, '0'}, {0x06, '1'}, {0x5b, '2'},
                                          {0x4f, '3'}, {0x66, '4'}, {0x6d, '5'}, {0x7d, '6'},
                                          {0x07, '7'}, {0x7f, '8'}, {0x6f, '9'}, {0x40, '-'}};
    QString text;
    for (int digit = 0; digit < 5; ++digit) {
        int lit = 0;
        for (int s = 0; s < 7; ++s) {
            const QPoint at = layout.first + QPoint(layout.advance * digit, 0) + middles[s];
            if (image.pixel(at) != background)
                lit |= 1 << s;
        }
        const auto found = characters.find(lit);
        text += found == characters.end() ? QChar('?') : found->second;
    }
    return text;
}

} // namespace

using Events = std::vector<RecordedEvent>;
using Act = std::function<void()>;
Q_DECLARE_METATYPE(Events)
Q_DECLARE_METATYPE(Act)

class Panel : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { DiscardPanel(panelHandle); }
    void brokenPanelFilesAreRefused_data() {
        // The real panel file with one piece of its text replaced.
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("replacement");
        QTest::addColumn<bool>("loads");
        const auto refused = [](const char* name, const char* text, const char* replacement) {
            QTest::newRow(name) << QByteArray(text) << QByteArray(replacement) << false;
        };
        QTest::newRow("the real one") << QByteArray() << QByteArray() << true;
        refused("not a panel", "<", "");
        refused("no status line", "<number>32<", "<number>132<");
        refused("two controls with one id", "<number>34<", "<number>36<");
        refused("drop-down made a spin box", "QComboBox\" name=\"hwModeRing",
                "QSpinBox\" name=\"hwModeRing");
        refused("callback missing", ">CC_DropHWMode<", "><");
        refused("callback the program lacks", ">CC_DropHWMode<", ">CC_DropHWModus<");
        refused("panel callback on a control", ">CC_DropDEvalmode<", ">CC_PANEL<");
    }

    void brokenPanelFilesAreRefused() {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, replacement);
        QFETCH(bool, loads);
        const QString path = m_dir.filePath(QStringLiteral("variant.uir"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(realPanelFile().replace(text, replacement));
        file.close();
        freshProgram();
        RegisterMainPanel();
        panelHandle = LoadPanel(0, path.toLocal8Bit().constData(), MAIN_PANEL);
        QCOMPARE(panelHandle >= 0, loads);
        QCOMPARE(panelWidget() != nullptr, loads);
        if (!loads)
            return;
        QVERIFY(!panelWidget()->isVisible());
        // Screen readers and UI automation find every control by name.
        for (QWidget* widget : panelWidget()->findChildren<QWidget*>())
            if (widget->property("ctrlId").isValid())
                QVERIFY2(!widget->accessibleName().trimmed().isEmpty(),
                         qPrintable(widget->objectName()));
    }

    void actionsRaiseTheirEventsWhenDispatched_data() {
        QTest::addColumn<Act>("act");
        QTest::addColumn<Events>("events");
        QTest::newRow("the item shown chosen again")
            << Act([] { chooseItem(CTRL_EVAL_MODE, 0); }) << Events{{CTRL_EVAL_MODE, kEventCommit}};
        QTest::newRow("press, then release") << Act([] {
            QTest::mousePress(control(CTRL_GET), Qt::LeftButton);
            QTest::mouseRelease(control(CTRL_GET), Qt::LeftButton);
        }) << Events{{CTRL_GET, kEventLeftClick}, {CTRL_GET, kEventCommit}};
        QTest::newRow("right button")
            << Act([] { QTest::mouseClick(control(CTRL_GET), Qt::RightButton); }) << Events{};
        // Activated without a mouse press, a button raises the left click a press would have.
        const Events sendClicked{{CTRL_SEND, kEventLeftClick}, {CTRL_SEND, kEventCommit}};
        const Events stopClicked{{CTRL_STOP, kEventLeftClick}, {CTRL_STOP, kEventCommit}};
        QTest::newRow("space on a button") << Act([] {
            control(CTRL_SEND)->setFocus(Qt::TabFocusReason);
            QTest::keyClick(control(CTRL_SEND), Qt::Key_Space);
        }) << sendClicked;
        QTest::newRow("return on a button") << Act([] {
            control(CTRL_STOP)->setFocus(Qt::TabFocusReason);
            QTest::keyClick(control(CTRL_STOP), Qt::Key_Return);
        }) << stopClicked;
        QTest::newRow("shortcut") << Act([] { pressKeys(Qt::Key_Escape); }) << stopClicked;
        QTest::newRow("shortcut of the close box")
            << Act([] { pressKeys(Qt::Key_Q, Qt::ControlModifier); }) << Events{{-1, kEventClose}};
        QTest::newRow("screen reader's press")
            << Act([] { screenReaderAction(CTRL_SEND, QAccessibleActionInterface::pressAction()); })
            << sendClicked;
        // A screen reader's Toggle clicks even the radio button that is on, and the item shown,
        // selected in a drop-down's list, is picked again.
        QTest::newRow("screen reader's toggle on the radio button that is on")
            << Act([] { screenReaderAction(CTRL_RAM, QAccessibleActionInterface::toggleAction()); })
            << Events{{CTRL_RAM, kEventValueChanged}};
        QTest::newRow("screen reader selects the item shown") << Act([] {
            QAccessibleInterface* list =
                QAccessible::queryAccessibleInterface(control(CTRL_EVAL_MODE))->child(0);
            QVERIFY(list->tableInterface()->selectRow(0));
        }) << Events{{CTRL_EVAL_MODE, kEventCommit}};
        QTest::newRow("double-click") << Act([] {
            // As X delivers it: press, release, double-click, release.
            QTest::mouseClick(control(CTRL_SEND), Qt::LeftButton);
            QTest::mouseDClick(control(CTRL_SEND), Qt::LeftButton);
            QTest::mouseRelease(control(CTRL_SEND), Qt::LeftButton);
        }) << sendClicked;
        QTest::newRow("wheel over a drop-down without focus") << Act([] {
            QWheelEvent wheel({5, 5}, {5, 5}, {}, {0, -120}, Qt::NoButton, {}, Qt::NoScrollPhase,
                              false);
            QApplication::sendEvent(control(CTRL_PORT), &wheel);
        }) << Events{};
        QTest::newRow("letters pick nothing, arrow keys open the list") << Act([] {
            control(CTRL_PORT)->setFocus(Qt::TabFocusReason);
            QTest::keyClicks(control(CTRL_PORT), QStringLiteral("C3"));
            QTest::keyClick(control(CTRL_PORT), Qt::Key_Down);
            QTest::keyClick(control<QComboBox>(CTRL_PORT)->view(), Qt::Key_Down);
        }) << Events{};
        QTest::newRow("arrow keys between the targets, space selects")
            << Act([] {
                   control(CTRL_RAM)->setFocus(Qt::TabFocusReason);
                   QTest::keyClick(control(CTRL_RAM), Qt::Key_Right);
                   QTest::keyClick(control(CTRL_EEPROM), Qt::Key_Space);
               })
            << Events{{CTRL_RAM, kEventGotFocus},
                      {CTRL_RAM, kEventLostFocus},
                      {CTRL_EEPROM, kEventGotFocus},
                      {CTRL_EEPROM, kEventValueChanged}};
        QTest::newRow("dimmed button, clicked and by its shortcut") << Act([] {
            SetCtrlAttribute(panelHandle, CTRL_SEND, kAttrDimmed, 1);
            click(CTRL_SEND, false);
            pressKeys(Qt::Key_S, Qt::ControlModifier);
        }) << Events{};
        QTest::newRow("close box") << Act(pressCloseBox) << Events{{-1, kEventClose}};
        QTest::newRow("focus moves") << Act([] {
            control(CTRL_HW_MODE)->setFocus(Qt::TabFocusReason);
            control(CTRL_EVAL_MODE)->setFocus(Qt::TabFocusReason);
        })
                                     << Events{{CTRL_HW_MODE, kEventGotFocus},
                                               {CTRL_HW_MODE, kEventLostFocus},
                                               {CTRL_EVAL_MODE, kEventGotFocus}};
        QTest::newRow("the program's own writes") << Act([] {
            // With the drop-downs' lists known to assistive technology.
            for (const int ring : {CTRL_HW_MODE, CTRL_EVAL_MODE})
                QAccessible::queryAccessibleInterface(control(ring))->child(0)->childCount();
            SetCtrlVal(panelHandle, CTRL_HW_MODE, 3);
            SetCtrlVal(panelHandle, CTRL_EVAL_MODE, 1);
            SetCtrlVal(panelHandle, CTRL_RAM, 0);
            SetCtrlVal(panelHandle, CTRL_EEPROM, 1);
            SetCtrlVal(panelHandle, CTRL_POWER0, 70);
            SetCtrlAttribute(panelHandle, CTRL_TOLERANCE, kAttrDimmed, 1);
        }) << Events{};
    }

    void actionsRaiseTheirEventsWhenDispatched() {
        QFETCH(Act, act);
        QFETCH(Events, events);
        registerRecorders();
        QVERIFY(showPanelFile() >= 0);
        // Focus starts on a control without a callback.
        control(CTRL_POWER0)->setFocus(Qt::TabFocusReason);
        dispatchPending();
        g_recorded.clear();
        act();
        QApplication::processEvents();
        QCOMPARE(g_recorded, Events{});
        dispatchPending();
        // The offscreen platform moves the active window to a drop-down's list and back.
        const bool focusRow = !events.empty() && events.front().event == kEventGotFocus;
        Events seen;
        for (const RecordedEvent& e : g_recorded)
            if (focusRow || (e.event != kEventGotFocus && e.event != kEventLostFocus))
                seen.push_back(e);
        QCOMPARE(seen, events);
        // The close box only asks; the program decides when the panel goes.
        QVERIFY(panelWidget()->isVisible());
    }

    void startUpTakesThePanelsValues() {
        // Whatever the panel shows, the start-up values hold where no control says otherwise.
        startTool();
        SetCtrlVal(panelHandle, CTRL_POWER0, 700);
        SetCtrlVal(panelHandle, CTRL_PORT, 2);
        SetCtrlVal(panelHandle, CTRL_EEPROM, 1);
        SetCtrlAttribute(panelHandle, CTRL_RAW_CHART, kAttrVisible, 0);
        SetCtrlAttribute(panelHandle, CTRL_NORM_CHART, kAttrVisible, 1);
        power1 = 9;
        InitVars();
        QCOMPARE(power0, 700);
        QCOMPARE(power1, 500);
        QCOMPARE(polarity, 1);
        QCOMPARE(reference, 512);
        QCOMPARE(com, 1);
        QCOMPARE(target, RAM);
        QCOMPARE(statusText(), QStringLiteral("InitVars"));
        QVERIFY(!control(CTRL_RAW_CHART)->isHidden());
        QVERIFY(control(CTRL_NORM_CHART)->isHidden());
        QVERIFY(control(CTRL_STOP)->toolTip().endsWith(QStringLiteral("(Esc)")));
    }

    void infoTextsAreLegibleWhereTheyLand() {
        startTool();
        std::map<QString, QLabel*> texts;
        for (QLabel* label : panelWidget()->findChildren<QLabel*>())
            texts[label->text()] = label;
        QLabel* name = texts[QStringLiteral("Nalvo-DE-Divor")];
        QLabel* version = texts[QStringLiteral("V.1.0")];
        QVERIFY(name && version);
        QCOMPARE(name->font().pointSize(), 18);
        QCOMPARE(version->font().pointSize(), 12);
        QCOMPARE(name->palette().color(QPalette::WindowText), QColor(Qt::white));
        QVERIFY(!name->font().bold());
        // Whole, apart, and on a panel dark enough for white text (contrast at least 7:1).
        QVERIFY(!name->geometry().intersects(version->geometry()));
        const QImage image = panelWidget()->grab().toImage().scaled(panelWidget()->size());
        for (QLabel* label : {name, version}) {
            QVERIFY(label->width() >= QFontMetrics(label->font()).horizontalAdvance(label->text()));
            std::map<QRgb, int> area;
            const QRect rect = label->geometry();
            for (int y = rect.top(); y <= rect.bottom(); ++y)
                for (int x = rect.left(); x <= rect.right(); ++x)
                    ++area[image.pixel(x, y)];
            const QRgb behind = std::max_element(area.begin(), area.end(), [](auto a, auto b) {
                                    return a.second < b.second;
                                })->first;
            QVERIFY2(1.05 / (luminance(QColor(behind)) + 0.05) >= 7.0,
                     qPrintable(QColor(behind).name()));
        }
    }

    void panelGrowsWithItsWindow() {
        startTool();
        QWidget* panel = panelWidget();
        // Opened at least as large as the panel file says, where the screen has room.
        QVERIFY(panel->width() >= 1000 && panel->height() >= 624);
        QWidget* chart = control(CTRL_RAW_CHART);
        QSize before;
        for (const QSize size : {QSize(1100, 720), QSize(1500, 996)}) {
            panel->resize(size);
            QCOMPARE(panel->size(), size);
            for (const int id : {CTRL_NORM_CHART, CTRL_RAW_CHART}) {
                SetCtrlAttribute(panelHandle, CTRL_RAW_CHART, kAttrVisible, id == CTRL_RAW_CHART);
                SetCtrlAttribute(panelHandle, CTRL_NORM_CHART, kAttrVisible, id == CTRL_NORM_CHART);
                QApplication::processEvents();
                // Nothing squeezed below what it needs to show in full, legends included.
                for (QWidget* widget : panel->findChildren<QWidget*>())
                    if (widget->isVisible() && widget->property("ctrlId").isValid())
                        QVERIFY2(widget->width() >= widget->minimumSizeHint().width() &&
                                     widget->height() >= widget->minimumSizeHint().height(),
                                 qPrintable(widget->objectName()));
                auto* plot = control(id)->findChild<QCustomPlot*>();
                plot->replot();
                for (int i = 0; i < plot->graphCount(); ++i) {
                    QCPAbstractLegendItem* item = plot->legend->itemWithPlottable(plot->graph(i));
                    QVERIFY(plot->rect().contains(item->outerRect()));
                    QVERIFY(item->outerRect().width() >= item->minimumOuterSizeHint().width());
                }
            }
            // The room the window gains goes to the chart.
            if (before.isValid())
                QCOMPARE(chart->size(), before + QSize(400, 276));
            before = chart->size();
        }
    }

    void controlsShowEverySixteenBitValue_data() {
        // Sensor words the live view writes, modes no item names, are shown and given back.
        QTest::addColumn<int>("control");
        QTest::addColumn<int>("value");
        for (int value : {0, 4, 1023, 40000, 56789, 65535}) {
            QTest::addRow("hardware mode %d", value) << CTRL_HW_MODE << value;
            QTest::addRow("power 0 %d", value) << CTRL_POWER0 << value;
            QTest::addRow("display %d", value) << CTRL_RAW_1 << value;
        }
    }

    void controlsShowEverySixteenBitValue() {
        QFETCH(int, control);
        QFETCH(int, value);
        startTool();
        SetCtrlVal(panelHandle, control, value);
        QCOMPARE(shown(control), value);
        unsigned short word = 0;
        GetCtrlVal(panelHandle, control, &word);
        QCOMPARE(int(word), value);
        if (auto* ring = testing::control<QComboBox>(control))
            QCOMPARE(ring->currentText(),
                     value <= 3 ? QStringLiteral("Mode %1").arg(value) : QString::number(value));
        // A display draws the digits, also greyed while what it shows is stale.
        if (control == CTRL_RAW_1) {
            dispatchPending();
            QWidget* display = testing::control(control);
            const QString digits = QString::number(value).rightJustified(5);
            QCOMPARE(drawnDigits(display), digits);
            const QRect inside = display->contentsRect();
            const QImage lit = display->grab(inside).toImage();
            display->setEnabled(false);
            QCOMPARE(drawnDigits(display), digits);
            QVERIFY(display->grab(inside).toImage() != lit);
        }
    }

    void writeBackClampsAndDimsTheTolerance_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("dimmed");
        for (int mode = 0; mode <= 4; ++mode)
            QTest::addRow("mode %d", mode) << mode << (mode == 1 || mode == 3);
    }

    void writeBackClampsAndDimsTheTolerance() {
        QFETCH(int, mode);
        QFETCH(bool, dimmed);
        startTool();
        // Choosing the mode dims at once; the variable takes it only when the panel is read.
        if (mode <= 3) {
            chooseItem(CTRL_HW_MODE, mode);
            dispatchPending();
            QCOMPARE(!control(CTRL_TOLERANCE)->isEnabled(), dimmed);
            QCOMPARE(hwMode, 0);
        }
        // Values in range go to the panel and back unchanged; one out of range is replaced.
        const sim::Words in{700, 800, 1000, 50, 2, 0, 17, 3, 300, 11, 22, 33, 1, 2, 3, 65535};
        showWords(in);
        GetPanelValues();
        hwMode = static_cast<unsigned short>(mode);
        reference = 2000;
        SetPanelValues();
        sim::Words expected = in;
        expected[2] = 512;
        expected[4] = static_cast<std::uint16_t>(mode);
        QCOMPARE(shownWords(), expected);
        QCOMPARE(!control(CTRL_TOLERANCE)->isEnabled(), dimmed);
    }

    void lampsShowTheLowTwoBits() {
        startTool();
        // Value given, then what lamp 41 (bit 0) and lamp 40 (bit 1) show.
        const std::vector<std::array<int, 3>> steps{{3, 1, 1}, {4, 1, 1},     {0x10002, 0, 1},
                                                    {1, 1, 0}, {65535, 1, 0}, {0, 0, 0}};
        for (const auto& [value, bit0, bit1] : steps) {
            SetInputLED(value);
            QCOMPARE(shown(CTRL_LAMP_BIT0), bit0);
            QCOMPARE(shown(CTRL_LAMP_BIT1), bit1);
        }
    }

private:
    QTemporaryDir m_dir;
};

QTEST_MAIN(Panel)
#include "tst_panel.moc"
