// The dialogs of the service tools during a live view, with every tool attached as the
// program attaches them: while the real dialog is open the sensor keeps receiving measurement
// requests, and the one dialog that would hold the run up is out of reach while it lasts.
#include "SensorLink.h"

#include <extras/extras.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QTimer>

using namespace testing;

namespace {

QAbstractButton* button(const QString& name) {
    for (QAbstractButton* found : panelWidget()->findChildren<QAbstractButton*>())
        if (found->objectName() == name || found->accessibleName() == name)
            return found;
    return nullptr;
}

QFileDialog* openDialog() {
    for (QWidget* widget : QApplication::allWidgets())
        if (auto* dialog = qobject_cast<QFileDialog*>(widget); dialog && dialog->isVisible())
            return dialog;
    return nullptr;
}

} // namespace

class RunDialogs : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_tool = std::make_unique<ToolWithSensor>(AttachServiceTools);
        m_tool->connect();
    }

    void cleanup() { m_tool.reset(); }

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
        button(QStringLiteral("Log"))->click();
        button(QStringLiteral("compareButton"))->click();
        dispatchPending();
        QVERIFY(button(opener) && button(opener)->isVisible());
        // A dialog that held the run up would hold this test up too: it is closed after a bound.
        QTimer bound;
        bound.setSingleShot(true);
        connect(&bound, &QTimer::timeout, [] {
            if (QFileDialog* dialog = openDialog())
                dialog->reject();
        });
        std::size_t openedAt = 0;
        bool requestsWhileOpen = false;
        m_tool->run([&] {
            QFileDialog* dialog = openDialog();
            if (openedAt == 0 && m_tool->requests() >= 2) {
                openedAt = m_tool->requests();
                bound.start(10s);
                button(opener)->click();
            } else if (dialog && m_tool->requests() >= openedAt + 5) {
                requestsWhileOpen = true;
                dialog->reject();
            } else if (openedAt > 0 && !dialog) {
                click(CTRL_STOP, false);
            }
        });
        QVERIFY(requestsWhileOpen);
        QCOMPARE(statusText(), QStringLiteral("Line Ok!"));
    }

    void noDeviceCanBeNamedDuringARun() {
        QAbstractButton* byPath = button(QStringLiteral("Connect to a device by path"));
        bool dimmedDuringRun = false;
        m_tool->run([&] {
            dimmedDuringRun = !byPath->isEnabled();
            click(CTRL_STOP, false);
        });
        QVERIFY(dimmedDuringRun);
        QVERIFY(byPath->isEnabled());
    }

private:
    std::unique_ptr<ToolWithSensor> m_tool;
};

QTEST_MAIN(RunDialogs)
#include "tst_run_dialogs.moc"
