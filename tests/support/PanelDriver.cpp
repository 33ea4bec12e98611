#include "PanelDriver.h"

#include <app/Nalvo-ZUridozU10.h>
#include <platform/ui.h>
#include <platform/util.h>
#include <shared/ProgramState.h>

#include <ControlValues.h>
#include <Lamp.h>

#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLCDNumber>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace testing {

void freshProgram() {
    // The EEPROM backups the tests' writes make go to a directory of the test's own.
    static const QTemporaryDir dataHome;
    qputenv("XDG_DATA_HOME", QFile::encodeName(dataHome.path()));
    static int argc = 1;
    static char name[] = "test";
    static char* argv[] = {name, nullptr};
    CloseToolkit();
    InitToolkit(argc, argv);
    ResetProgramState();
}

int showPanelFile() {
    panelHandle = LoadPanel(0, "Nalvo-ZUridozU10.uir", MAIN_PANEL);
    if (panelHandle >= 0) {
        DisplayPanel(panelHandle);
        QApplication::setActiveWindow(panelWidget());
    }
    return panelHandle;
}

void startTool(const std::function<void()>& attachTools) {
    freshProgram();
    if (attachTools)
        attachTools();
    RegisterMainPanel();
    if (showPanelFile() < 0)
        qFatal("the panel file does not load");
    GetProjectDir(proj_dir);
    InitVars();
}

QWidget* panelWidget() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->objectName() == QLatin1String("MainPanel"))
            return widget;
    return nullptr;
}

QWidget* control(int id) {
    QWidget* panel = panelWidget();
    if (!panel)
        return nullptr;
    for (QWidget* widget : panel->findChildren<QWidget*>())
        if (widget->property("ctrlId").toInt() == id)
            return widget;
    return nullptr;
}

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds bound) {
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > bound.count())
            return false;
        ProcessSystemEvents();
    }
    return true;
}

void dispatchPending() {
    // One pass handles Qt's events, the next the callbacks they queued.
    ProcessSystemEvents();
    ProcessSystemEvents();
}

QAccessibleInterface* accessible(QWidget* widget) {
    return QAccessible::queryAccessibleInterface(widget);
}

// Where an operator clicks a control: a radio button on its round indicator.
static QPoint clickPoint(const QWidget* widget) {
    return qobject_cast<const QRadioButton*>(widget) ? QPoint(8, widget->height() / 2)
                                                     : widget->rect().center();
}

void click(int id, bool dispatch) {
    QWidget* widget = control(id);
    QTest::mouseClick(widget, Qt::LeftButton, {}, clickPoint(widget));
    if (dispatch)
        dispatchPending();
}

QStringList portItems() {
    auto* ring = control<QComboBox>(CTRL_PORT);
    ring->showPopup();
    ring->hidePopup();
    QStringList texts;
    for (int i = 0; i < ring->count(); ++i)
        texts << ring->itemText(i);
    return texts;
}

void chooseItem(int ringId, int index) {
    // Through the drop-down's list, so that choosing the item already shown counts too.
    auto* ring = control<QComboBox>(ringId);
    ring->showPopup();
    QAbstractItemView* list = ring->view();
    list->setCurrentIndex(ring->model()->index(index, 0));
    QTest::keyClick(list, Qt::Key_Return);
}

void typeInto(int id, int value) {
    auto* field = control<QSpinBox>(id);
    field->setFocus(Qt::TabFocusReason);
    field->selectAll();
    QTest::keyClicks(field, QString::number(value));
    QTest::keyClick(field, Qt::Key_Tab);
}

void pressCloseBox() {
    QCloseEvent close;
    QApplication::sendEvent(panelWidget(), &close);
}

void actOn(QAbstractButton* button, Way way) {
    switch (way) {
    case Way::Mouse:
        QTest::mouseClick(button, Qt::LeftButton, {}, clickPoint(button));
        break;
    case Way::MouseHeld:
        QTest::mousePress(button, Qt::LeftButton);
        break;
    case Way::Space:
        button->setFocus(Qt::TabFocusReason);
        QTest::keyClick(button, Qt::Key_Space);
        break;
    case Way::Shortcut: {
        const bool send = button->property("ctrlId").toInt() == CTRL_SEND;
        QTest::keyClick(panelWidget(), send ? Qt::Key_S : Qt::Key_F5,
                        send ? Qt::ControlModifier : Qt::NoModifier);
        break;
    }
    case Way::ScreenReader:
        accessible(button)->actionInterface()->doAction(
            button->isCheckable() ? QAccessibleActionInterface::toggleAction()
                                  : QAccessibleActionInterface::pressAction());
        break;
    }
}

bool buttonsUp() {
    return waitUntil([] {
        for (QAbstractButton* button : panelWidget()->findChildren<QAbstractButton*>())
            if (button->isDown())
                return false;
        return true;
    });
}

void whileDialogsComeUp(const std::function<bool(QWidget*)>& handle, int interval) {
    auto* poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, handle, interval] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog)
            return;
        poll->stop();
        if (handle(dialog))
            poll->deleteLater();
        else
            poll->start(interval);
    });
    poll->start(interval);
}

void clickButton(QWidget* dialog, const QString& text) {
    for (QPushButton* button : dialog->findChildren<QPushButton*>())
        if (button->text() == text || button->text().remove('&') == text)
            button->click();
}

PaintLog::PaintLog() {
    QApplication::instance()->installEventFilter(this);
}

bool PaintLog::eventFilter(QObject* object, QEvent* event) {
    if (event->type() == QEvent::Paint) {
        texts[object] << object->property("text").toString();
        regions[object] += static_cast<QPaintEvent*>(event)->region();
    }
    return false;
}

QString statusText() {
    return control<QLabel>(CTRL_STATUS)->text();
}

QString unsentCount() {
    QCoreApplication::sendPostedEvents();
    return panelChild<QLabel>(QStringLiteral("unsentCount"))->text().simplified();
}

int shown(int id) {
    platform::applyPendingValues();
    QWidget* widget = control(id);
    if (auto* spin = qobject_cast<QSpinBox*>(widget))
        return spin->text().toInt();
    if (auto* display = qobject_cast<QLCDNumber*>(widget))
        return display->intValue();
    if (auto* ring = qobject_cast<QComboBox*>(widget))
        return ring->currentData().toInt();
    if (auto* lamp = qobject_cast<platform::Lamp*>(widget))
        return lamp->isOn() ? 1 : 0;
    if (auto* radio = qobject_cast<QRadioButton*>(widget))
        return radio->isChecked() ? 1 : 0;
    qFatal("control %d shows no number", id);
}

} // namespace testing
