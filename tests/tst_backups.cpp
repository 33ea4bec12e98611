// The EEPROM's set kept before every EEPROM Send of the window, the question marking what the
// write changes and naming the backup or why there is none, the list of backups, a backup loaded
// into the panel or compared: the real panel, the simulated sensor.
#include "SensorLink.h"

#include <backups/Backups.h>
#include <linklog/LinkLog.h>
#include <paramguard/ParameterGuard.h>
#include <platform/attach.h>

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTreeWidget>

using namespace testing;
using sim::Words;
using Orders = std::vector<int>; // the order codes of the requests the sensor had

namespace {

const Words kRam{600, 700, 400, 90, 0, 1, 2, 1, 3, 110, 710, 410, 12, 13, 14, 15};
const Words kEeprom{600, 700, 401, 90, 0, 0, 2, 1, 3, 110, 710, 410, 12, 13, 14, 16};
const QString kFirmware = QStringLiteral("T-KOR-ZUL simulated sensor 1.0");

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool logged(const linklog::LinkLog& log, const QString& text) {
    return std::any_of(log.entries().begin(), log.entries().end(),
                       [&text](const linklog::Entry& entry) { return entry.text == text; });
}

void chooseFile(const QString& path) {
    platform::setFileSelectAnswer([path](const platform::FileSelectRequest&, std::string& to) {
        to = path.toStdString();
        return QFile::exists(path) ? kExistingFileSelected : kNewFileSelected;
    });
}

// What the Backups window lists, a row a backup.
QList<QStringList> listed() {
    panelChild<QPushButton>(QStringLiteral("backupsButton"))->click();
    auto* list = panelChild<QTreeWidget>(QStringLiteral("backupsList"));
    QList<QStringList> rows;
    for (int row = 0; row < list->topLevelItemCount(); ++row)
        rows << QStringList{list->topLevelItem(row)->text(0), list->topLevelItem(row)->text(1),
                            list->topLevelItem(row)->text(2)};
    return rows;
}

} // namespace

class Backups : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_tool = std::make_unique<ToolWithSensor>([this] { paramguard::attach(m_log); });
        (*m_tool)->setRam(kRam);
        (*m_tool)->setEeprom(kEeprom);
        m_tool->connect();
        m_data = std::make_unique<QTemporaryDir>();
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_data->path()));
        paramguard::setDiscardAnswer([](paramguard::Replacing, int) { return true; });
    }
    void cleanup() {
        m_tool.reset();
        paramguard::setEepromAnswer({});
        paramguard::setDiscardAnswer({});
        platform::setFileSelectAnswer({});
    }

    void eepromSendKeepsTheEepromsSetFirst_data() {
        QTest::addColumn<bool>("write");
        QTest::addColumn<bool>("stopAsking");
        QTest::addColumn<Orders>("orders");
        // Each of two Sends reads the EEPROM first, for its backup, asked or not.
        QTest::newRow("written") << true << false << Orders{4, 3, 4, 3};
        QTest::newRow("written, not asked again") << true << true << Orders{4, 3, 4, 3};
        QTest::newRow("cancelled") << false << false << Orders{4, 4};
    }
    void eepromSendKeepsTheEepromsSetFirst() {
        QFETCH(bool, write);
        QFETCH(bool, stopAsking);
        QFETCH(Orders, orders);
        std::vector<paramguard::EepromQuestion> asked;
        paramguard::setEepromAnswer([&](const paramguard::EepromQuestion& question) {
            asked.push_back(question);
            return paramguard::EepromAnswer{write, stopAsking, false};
        });
        // A Send to the RAM asks nothing.
        typeInto(CTRL_REFERENCE, 333);
        click(CTRL_SEND);
        QVERIFY((*m_tool)->waitForFrames(1, 5s));
        QCOMPARE(asked.size(), size_t(0));
        click(CTRL_EEPROM);
        m_tool->sensor().clearReceivedFrames();
        click(CTRL_SEND);
        click(CTRL_SEND);
        QVERIFY((*m_tool)->waitForFrames(orders.size(), 5s));
        QCOMPARE(ordersSent(m_tool->sensor()), orders);
        QCOMPARE((*m_tool)->eeprom()[2], write ? 333 : 401);
        QCOMPARE(asked.size(), size_t(stopAsking ? 1 : 2));
        // The marks are against the EEPROM as just read, not the RAM; the second Send's against
        // what the EEPROM holds then.
        QVERIFY(asked[0].readAt.isValid());
        QCOMPARE(asked[0].rows[2].value, 333);
        QCOMPARE(asked[0].rows[2].inEeprom, std::optional<int>(401));
        QCOMPARE(asked[0].rows[5].inEeprom, std::optional<int>(0));
        if (!stopAsking)
            QCOMPARE(asked[1].rows[2].inEeprom, std::optional<int>(write ? 333 : 401));
        const QString path = asked[0].backupPath;
        QCOMPARE(asked[0].backupProblem, QString());
        QCOMPARE(QFileInfo(path).dir(), QDir(m_data->filePath("nalvo-zuridozu10/backups")));
        QVERIFY(logged(m_log, "EEPROM backup: " + path));
        QCOMPARE(
            contents(path.chopped(4) + ".txt"),
            ("firmware: " + kFirmware + "\ndevice: " + platform::portDevice(1) + "\n").toUtf8());

        // The program's own parameter file: File Get shows the EEPROM's words as they were, and
        // Send to file writes them byte for byte as the backup holds them.
        click(CTRL_FILE);
        chooseFile(path);
        click(CTRL_GET);
        QCOMPARE(shownWords(), kEeprom);
        const QString sent = m_data->filePath("sent.dat");
        chooseFile(sent);
        click(CTRL_SEND);
        QCOMPARE(contents(sent), contents(path));
        QCOMPARE(ordersSent(m_tool->sensor()), orders);
    }

    // The question as shown: with a backup, what the write changes against the set just read
    // and where the backup is; without one, why, Cancel the default, and reading again offered.
    void theQuestionNamesTheBackupOrWhyThereIsNone_data() {
        QTest::addColumn<QString>("fault"); // the sensor silent, or the data directory a file
        QTest::addColumn<bool>("stoppedAsking");
        QTest::addColumn<QString>("cause"); // why no backup was made at first
        QTest::addColumn<Orders>("orders");
        const QString silent = QStringLiteral("silent"), noAnswer("No answer within 2 s");
        QTest::newRow("backup made, written") << QString() << false << QString() << Orders{4, 3};
        QTest::newRow("silent sensor") << silent << false << noAnswer << Orders{4};
        QTest::newRow("silent sensor, not asked again") << silent << true << noAnswer << Orders{4};
        QTest::newRow("silent sensor, read again once it answers, written")
            << silent << false << noAnswer << Orders{4, 4, 3};
        QTest::newRow("data directory is a file")
            << "file" << false << "Not a directory" << Orders{4};
    }
    void theQuestionNamesTheBackupOrWhyThereIsNone() {
        QFETCH(QString, fault);
        QFETCH(bool, stoppedAsking);
        QFETCH(QString, cause);
        QFETCH(Orders, orders);
        click(CTRL_EEPROM);
        if (stoppedAsking) {
            paramguard::setEepromAnswer([](const paramguard::EepromQuestion&) {
                return paramguard::EepromAnswer{true, true};
            });
            click(CTRL_SEND);
            QVERIFY((*m_tool)->waitForFrames(2, 5s));
            paramguard::setEepromAnswer({});
        }
        m_tool->sensor().clearReceivedFrames();
        if (fault == QLatin1String("silent")) {
            (*m_tool)->setFault(sim::Fault::Silent);
            useClock(m_tool->sensor(), 0);
        } else if (!fault.isEmpty()) {
            const QString file = m_data->filePath("file");
            QFile blocking(file);
            QVERIFY(blocking.open(QIODevice::WriteOnly));
            qputenv("XDG_DATA_HOME", QFile::encodeName(file));
        }
        typeInto(CTRL_REFERENCE, 333);
        const bool readAgain = orders.size() == 3, written = orders.back() == 3;
        QStringList introductions, reference;
        QString byDefault;
        QList<int> marked;
        bool canReadAgain = false;
        whileDialogsComeUp(
            [&](QWidget* dialog) {
                auto* table = dialog->findChild<QTableWidget*>();
                introductions << dialog->findChild<QLabel*>("eepromIntroduction")->text();
                reference = QStringList{table->item(2, 1)->text(), table->item(2, 2)->text()};
                marked.clear();
                for (int row = 0; row < table->rowCount(); ++row)
                    if (table->item(row, 1)->text().startsWith(u'\u2260'))
                        marked << row;
                for (const QPushButton* button : dialog->findChildren<QPushButton*>()) {
                    if (button->isDefault())
                        byDefault = button->text();
                    if (button->text() == "&Read EEPROM again")
                        canReadAgain = button->isVisible();
                }
                if (readAgain && introductions.size() == 1) {
                    (*m_tool)->setFault(sim::Fault::None);
                    useClock(m_tool->sensor());
                    clickButton(dialog, "&Read EEPROM again");
                    return false;
                }
                if (written)
                    clickButton(dialog, "&Write to EEPROM");
                else // Return, as an operator would press it without reading.
                    QTest::keyClick(dialog->focusWidget() ? dialog->focusWidget() : dialog,
                                    Qt::Key_Return);
                return true;
            },
            5);
        click(CTRL_SEND);
        QVERIFY((*m_tool)->waitForFrames(orders.size(), 5s));
        QCOMPARE(ordersSent(m_tool->sensor()), orders);
        QCOMPARE((*m_tool)->eeprom()[2], written ? 333 : stoppedAsking ? 400 : 401);
        QCOMPARE(byDefault, "Cancel");
        QCOMPARE(canReadAgain, !written);
        if (!cause.isEmpty()) {
            QVERIFY2(introductions[0].contains("No backup of the EEPROM was made: ") &&
                         introductions[0].contains(cause),
                     qPrintable(introductions[0]));
            QVERIFY(std::any_of(m_log.entries().begin(), m_log.entries().end(),
                                [&cause](const linklog::Entry& entry) {
                                    return entry.text.startsWith("EEPROM backup not made: ") &&
                                           entry.text.contains(cause);
                                }));
        }
        if (!written)
            return;
        // Every word that differs from the EEPROM as read, the free words too.
        const QString shown = introductions.last();
        QVERIFY2(shown.contains("differ from the EEPROM as read at "), qPrintable(shown));
        QVERIFY(QFile::exists(shown.section("kept in ", 1)));
        QCOMPARE(reference, (QStringList{"\u2260 333", "401"}));
        QCOMPARE(marked, (QList<int>{2, 5, 15}));
    }

    void theListShowsBackupsNewestFirst() {
        QCOMPARE(listed(), QList<QStringList>{});
        QCOMPARE(panelChild<QLabel>("backupsWhere")->text(),
                 "No backups yet. They are kept in " + backups::directory());
        QVERIFY(!panelChild<QPushButton>("loadBackup")->isEnabled());

        const QDateTime at(QDate(2026, 12, 9), QTime(14, 3, 27));
        const QString byId = QStringLiteral("/dev/serial/by-id/usb-FTDI:1 A");
        QString why;
        QStringList names;
        for (const auto& [words, device, firmware, time] :
             {std::tuple{kRam, QStringLiteral("/dev/ttyUSB0"), "fw 1", at.addSecs(-1)},
              std::tuple{kEeprom, byId, "fw\n2", at}, std::tuple{kEeprom, byId, "fw 3", at},
              std::tuple{kRam, QStringLiteral("/dev/pts/3"), "older", at.addDays(-1)}}) {
            const std::optional<backups::Backup> kept =
                backups::save(words, device, QLatin1String(firmware), time, why);
            QVERIFY2(kept, qPrintable(why));
            names << QFileInfo(kept->path).fileName();
        }
        QCOMPARE(
            names,
            (QStringList{"2026-12-09_14-03-26_ttyUSB0.dat", "2026-12-09_14-03-27_usb-FTDI_1_A.dat",
                         "2026-12-09_14-03-27-2_usb-FTDI_1_A.dat", "2026-12-08_14-03-27_3.dat"}));
        const QDir kept(backups::directory());
        // No note: the device comes from the name.
        QVERIFY(QFile::remove(kept.filePath("2026-12-08_14-03-27_3.txt")));
        // A damaged file, the newest, is no backup.
        QFile damaged(kept.filePath("2026-12-10_08-00-00_ttyUSB0.dat"));
        QVERIFY(damaged.open(QIODevice::WriteOnly));
        damaged.write(" 600\n70000\n 401\n  90\n   0\n   0\n   2\n   1\n   3\n 110\n 710\n 410\n"
                      "  12\n  13\n  14\n  16\n");
        damaged.close();

        QCOMPARE(listed(), (QList<QStringList>{{"2026-12-09 14:03:27", byId, "fw 3"},
                                               {"2026-12-09 14:03:27", byId, "fw\\n2"},
                                               {"2026-12-09 14:03:26", "/dev/ttyUSB0", "fw 1"},
                                               {"2026-12-08 14:03:27", "3", ""}}));
        QCOMPARE(panelChild<QLabel>("backupsWhere")->text(), "Kept in " + backups::directory());
    }

    void aBackupGoesIntoThePanelOrIntoCompareAndNothingToTheSensor() {
        QString why;
        const std::optional<backups::Backup> backup = backups::save(
            kEeprom, QStringLiteral("/dev/ttyUSB0"), kFirmware, QDateTime::currentDateTime(), why);
        QVERIFY2(backup, qPrintable(why));
        m_tool->sensor().clearReceivedFrames();
        QCOMPARE(listed().size(), 1);
        panelChild<QPushButton>("loadBackup")->click();
        // The free words, which the panel does not show, stay as they were.
        QCOMPARE(shownWords(),
                 (Words{600, 700, 401, 90, 0, 0, 2, 1, 3, 110, 710, 410, 12, 13, 14, 15}));
        QCOMPARE(unsentCount(), "* 2 values not sent (2 loaded from file)");
        QCOMPARE(panelChild<QLabel>("referenceLabel")->text(), "Reference (file)");

        panelChild<QPushButton>("compareBackup")->click();
        auto* compared = panelChild<QTableWidget>("compareTable");
        QVERIFY(compared && compared->isVisible());
        // The file column is the backup: the reference as the panel now has it, the last free
        // word not.
        QCOMPARE(compared->item(2, 4)->text(), "401");
        QCOMPARE(compared->item(15, 4)->text(), "\u2260 16");
        QCOMPARE(m_tool->requests(), size_t(0));
    }

private:
    linklog::LinkLog m_log;
    std::unique_ptr<ToolWithSensor> m_tool;
    std::unique_ptr<QTemporaryDir> m_data;
};

QTEST_MAIN(Backups)
#include "tst_backups.moc"
