// The operator's actions on the real panel reach the callbacks that the panel file names,
// with the right event codes, and only when events are dispatched; the program's own writes
// raise nothing.
#include "PanelDriver.h"
#include "RecordedEvents.h"

#include <app/Nalvo-ZUridozU10.h>
#include <platform/ui.h>
#include <shared/ControlIds.h>

#include <QApplication>
#include <QComboBox>
#include <QTest>

using namespace testing;

using Events = std::vector<RecordedEvent>;

namespace {

// The recorded events other than focus changes: the offscreen platform moves the active
// window to a drop-down's list and back, which shows as focus events.
Events actionEvents() {
    Events events;
    for (const RecordedEvent& e : recordedEvents())
        if (e.event != kEventGotFocus && e.event != kEventLostFocus)
            events.push_back(e);
    return events;
}

} // namespace

class PanelEvents : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void dropDownSelectionIsACommit();
    void choosingTheShownItemAgainIsACommit();
    void buttonPressIsALeftClickAndReleaseACommit();
    void keyboardActivationIsACommitOnly();
    void dimmedButtonRaisesNothing();
    void radioButtonToggleIsAValueChange();
    void programWritesRaiseNoEvent();
    void closeBoxIsACloseAndKeepsThePanel();
    void focusChangesAreGotAndLostFocus();
};

void PanelEvents::init() {
    registerRecorders();
    QVERIFY(showPanelFile() >= 0);
    // Focus starts on a control without a callback.
    control(CTRL_POWER0)->setFocus(Qt::TabFocusReason);
    dispatchPending();
    recordedEvents().clear();
}

void PanelEvents::cleanup() {
    discardMainPanel();
}

void PanelEvents::dropDownSelectionIsACommit() {
    chooseItem(CTRL_HW_MODE, 2);
    // Nothing runs until events are dispatched.
    QVERIFY(recordedEvents().empty());
    QApplication::processEvents();
    QVERIFY(recordedEvents().empty());
    dispatchPending();
    QCOMPARE(actionEvents(), (Events{{"CC_DropHWMode", CTRL_HW_MODE, kEventCommit}}));
    QCOMPARE(intValue(CTRL_HW_MODE), 2);
}

void PanelEvents::choosingTheShownItemAgainIsACommit() {
    chooseItem(CTRL_EVAL_MODE, 0);
    dispatchPending();
    QCOMPARE(actionEvents(), (Events{{"CC_DropDEvalmode", CTRL_EVAL_MODE, kEventCommit}}));
}

void PanelEvents::buttonPressIsALeftClickAndReleaseACommit() {
    QWidget* get = control(CTRL_GET);
    QTest::mousePress(get, Qt::LeftButton);
    dispatchPending();
    QCOMPARE(actionEvents(), (Events{{"CC_BTNGet", CTRL_GET, kEventLeftClick}}));
    QTest::mouseRelease(get, Qt::LeftButton);
    dispatchPending();
    QCOMPARE(actionEvents(), (Events{{"CC_BTNGet", CTRL_GET, kEventLeftClick},
                                     {"CC_BTNGet", CTRL_GET, kEventCommit}}));
    recordedEvents().clear();
    QTest::mouseClick(get, Qt::RightButton);
    dispatchPending();
    QVERIFY(actionEvents().empty());
}

void PanelEvents::keyboardActivationIsACommitOnly() {
    QWidget* send = control(CTRL_SEND);
    send->setFocus(Qt::TabFocusReason);
    QTest::keyClick(send, Qt::Key_Space);
    dispatchPending();
    QCOMPARE(actionEvents(), (Events{{"CC_BTNSend", CTRL_SEND, kEventCommit}}));
}

void PanelEvents::dimmedButtonRaisesNothing() {
    SetCtrlAttribute(panelHandle, CTRL_SEND, kAttrDimmed, 1);
    QTest::mouseClick(control(CTRL_SEND), Qt::LeftButton);
    dispatchPending();
    QCOMPARE(recordedEvents(), Events{});
    SetCtrlAttribute(panelHandle, CTRL_SEND, kAttrDimmed, 0);
    QTest::mouseClick(control(CTRL_SEND), Qt::LeftButton);
    dispatchPending();
    QCOMPARE(actionEvents().size(), size_t(2));
}

void PanelEvents::radioButtonToggleIsAValueChange() {
    // The buttons are independent toggles; the program keeps them in step.
    clickControl(CTRL_EEPROM);
    dispatchPending();
    QCOMPARE(actionEvents(), (Events{{"CC_RBTEeprom", CTRL_EEPROM, kEventValueChanged}}));
    QCOMPARE(intValue(CTRL_EEPROM), 1);
    QCOMPARE(intValue(CTRL_RAM), 1);
    clickControl(CTRL_RAM);
    dispatchPending();
    QCOMPARE(intValue(CTRL_RAM), 0);
    QCOMPARE(actionEvents().back(), (RecordedEvent{"CC_RBTRam", CTRL_RAM, kEventValueChanged}));
}

void PanelEvents::programWritesRaiseNoEvent() {
    SetCtrlVal(panelHandle, CTRL_HW_MODE, 3);
    SetCtrlVal(panelHandle, CTRL_HW_MODE, 65535);
    SetCtrlVal(panelHandle, CTRL_EVAL_MODE, 1);
    SetCtrlVal(panelHandle, CTRL_RAM, 0);
    SetCtrlVal(panelHandle, CTRL_EEPROM, 1);
    SetCtrlVal(panelHandle, CTRL_POWER0, 70);
    SetCtrlVal(panelHandle, CTRL_STATUS, "status");
    SetCtrlAttribute(panelHandle, CTRL_TOLERANCE, kAttrDimmed, 1);
    dispatchPending();
    QVERIFY(recordedEvents().empty());
    QCOMPARE(intValue(CTRL_HW_MODE), 65535);
    QCOMPARE(intValue(CTRL_EEPROM), 1);
}

void PanelEvents::closeBoxIsACloseAndKeepsThePanel() {
    pressCloseBox();
    dispatchPending();
    QCOMPARE(recordedEvents(), (Events{{"CC_PANEL", -1, kEventClose}}));
    QVERIFY(panelWidget()->isVisible());
}

void PanelEvents::focusChangesAreGotAndLostFocus() {
    control(CTRL_HW_MODE)->setFocus(Qt::TabFocusReason);
    control(CTRL_EVAL_MODE)->setFocus(Qt::TabFocusReason);
    dispatchPending();
    QCOMPARE(recordedEvents(), (Events{{"CC_DropHWMode", CTRL_HW_MODE, kEventGotFocus},
                                       {"CC_DropHWMode", CTRL_HW_MODE, kEventLostFocus},
                                       {"CC_DropDEvalmode", CTRL_EVAL_MODE, kEventGotFocus}}));
}

QTEST_MAIN(PanelEvents)
#include "tst_panel_events.moc"
