// Callbacks run only inside RunUserInterface and ProcessSystemEvents, nest inside each other,
// and a quit takes effect once the running callbacks have returned.
#include "PanelDriver.h"
#include "RecordedEvents.h"

#include <app/Nalvo-ZUridozU10.h>
#include <platform/ui.h>
#include <shared/ControlIds.h>

#include <QElapsedTimer>
#include <QTest>

using namespace testing;

class EventLoop : public QObject {
    Q_OBJECT

private slots:
    void cleanup();
    void quitInsideANestedWaitEndsTheLoopAfterTheWait();
    void idleProcessSystemEventsReturnsPromptly();
};

void EventLoop::cleanup() {
    discardMainPanel();
}

void EventLoop::quitInsideANestedWaitEndsTheLoopAfterTheWait() {
    // The hardware-mode callback waits, processing events, until the panel has been closed
    // and one more selection has been handled; the close callback quits meanwhile.
    QStringList trace;
    bool closed = false;
    int innerSelections = 0;
    registerRecorders([&](const RecordedEvent& event) {
        if (event.callback == QLatin1String("CC_PANEL") && event.event == kEventClose) {
            trace << QStringLiteral("close");
            closed = true;
            QuitUserInterface(7);
        } else if (event.callback == QLatin1String("CC_DropHWMode") &&
                   event.event == kEventCommit) {
            trace << QStringLiteral("wait begins");
            QElapsedTimer bound;
            bound.start();
            while (!(closed && innerSelections > 0) && bound.elapsed() < 5000)
                ProcessSystemEvents();
            trace << QStringLiteral("wait ends");
        } else if (event.callback == QLatin1String("CC_DropDEvalmode") &&
                   event.event == kEventCommit) {
            trace << QStringLiteral("selection");
            ++innerSelections;
        }
    });
    QVERIFY(showPanelFile() >= 0);
    dispatchPending();
    trace.clear();

    chooseItem(CTRL_HW_MODE, 1);
    pressCloseBox();
    chooseItem(CTRL_EVAL_MODE, 2);
    QVERIFY(trace.isEmpty());

    QCOMPARE(RunUserInterface(), 7);
    QCOMPARE(trace, (QStringList{"wait begins", "close", "selection", "wait ends"}));
}

void EventLoop::idleProcessSystemEventsReturnsPromptly() {
    registerRecorders();
    QVERIFY(showPanelFile() >= 0);
    dispatchPending();
    QElapsedTimer clock;
    clock.start();
    ProcessSystemEvents();
    QVERIFY(clock.elapsed() < 500);
}

QTEST_MAIN(EventLoop)
#include "tst_event_loop.moc"
