// Every way of acting is one way: a mouse click, Space, the list's keys and a screen reader's
// action on each kind of control have the same effect, once; the file dialogs add ".dat"
// however they are accepted; a typed number outside its field's range takes the nearest limit
// and says so. The real panel with every service tool attached, against the simulated sensor.
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

using namespace testing;

namespace {

enum class Accept { ReturnInName, MouseOnOk, SpaceOnOk, ScreenReaderOnOk };

QAccessibleInterface* accessible(QWidget* widget) {
    return QAccessible::queryAccessibleInterface(widget);
}

QPushButton* okButton(QFileDialog* dialog) {
    const auto* box = dialog->findChild<QDialogButtonBox*>();
    for (QAbstractButton* button : box->buttons())
        if (box->buttonRole(button) == QDialogButtonBox::AcceptRole)
            return qobject_cast<QPushButton*>(button);
    return nullptr;
}

// Once the file dialog is up, goes to the directory, types the name and accepts it the given
// way.
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

// Accepts the next file dialog as above. Whatever is still open once that is done (a message
// about the name, the dialog itself) is cancelled, so that the test fails on what it got
// rather than hangs.
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

} // namespace

Q_DECLARE_METATYPE(Accept)

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

private:
    std::unique_ptr<ToolWithSensor> m_tool;
    std::unique_ptr<QTemporaryDir> m_dir;
    int m_eepromAsked = 0;
};

QTEST_MAIN(WaysOfActing)
#include "tst_ways_of_acting.moc"
