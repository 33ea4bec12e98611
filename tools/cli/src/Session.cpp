#include "Session.h"

#include <door/door.h>
#include <exchanges/ExchangeWatch.h>
#include <linklog/Escaped.h>
#include <paramguard/ParameterGuard.h>
#include <platform/attach.h>
#include <platform/follow.h>
#include <platform/overrides.h>
#include <platform/ui.h>
#include <safefile/OutputFile.h>

#include <QAbstractButton>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace cli {

namespace {

constexpr int kOrderOffset = 2;
// Awaited instead of a callback: a service tool's read.
constexpr std::pair kToolRead{-1, -1};

unsigned short orderOf(const QByteArray& frame) {
    return static_cast<unsigned short>(static_cast<unsigned char>(frame.at(kOrderOffset)) * 256 +
                                       static_cast<unsigned char>(frame.at(kOrderOffset + 1)));
}

// The program says only that its file was not written; the system says why.
QString whyNotWritable(const QString& path) {
    const QString refusal = safefile::refusal(path);
    if (!refusal.isEmpty())
        return refusal;
    const QFileInfo file(path);
    const QByteArray tried = QFile::encodeName(file.exists() ? path : file.absolutePath());
    if (::access(tried.constData(), W_OK) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    return QStringLiteral("the write failed");
}

QString placeName(Place place) {
    return place == Place::Ram ? QStringLiteral("RAM") : QStringLiteral("EEPROM");
}

int placeControl(Place place) {
    return place == Place::Ram ? CTRL_RAM : CTRL_EEPROM;
}

QString commandName(Command command) {
    switch (command) {
    case Command::Ports:
        return QStringLiteral("ports");
    case Command::Info:
        return QStringLiteral("info");
    case Command::Read:
        return QStringLiteral("read");
    case Command::Write:
        return QStringLiteral("write");
    case Command::Compare:
        return QStringLiteral("compare");
    case Command::Record:
        return QStringLiteral("record");
    case Command::Teach:
        return QStringLiteral("teach");
    }
    return {};
}

} // namespace

Session::Session(Request request) : m_request(std::move(request)) {
    m_port = portNumber(m_request.port);
}

void Session::attach(linklog::LinkLog& log) {
    m_log = &log;
    // A device path takes the first number the environment leaves free, as the window's
    // "..." gives a named device the next free number.
    if (m_port == 0) {
        m_port = 1;
        while (platform::portDeviceFromEnvironment(m_port))
            ++m_port;
        qputenv(qPrintable(QStringLiteral("NALVO_COM%1").arg(m_port)),
                QFile::encodeName(m_request.port));
    }
    platform::onPanelLoaded([this](int panel, QWidget*) {
        if (m_panel == 0)
            m_panel = panel;
    });
    platform::onPortEvent([this](const platform::PortEvent& event) { portEvent(event); });
    platform::onTextSet(
        [this](int panel, int control, const QString& text) { textSet(panel, control, text); });
    platform::onAfterCallback(
        [this](int panel, int control, int event) { callbackEnded(panel, control, event); });
    platform::onChartPlotted([this](int panel, int, std::span<const double>) {
        if (panel == m_panel)
            ++m_frames;
    });
    // The program's file dialogs take the command line's file.
    platform::setFileSelectAnswer([this](const platform::FileSelectRequest&, std::string& path) {
        path = QFile::encodeName(m_fileAnswer).toStdString();
        return m_fileAnswer.isEmpty() ? 0 : 1;
    });
    // Nothing the operator typed is at stake: the command's own values replace the panel's.
    paramguard::setDiscardAnswer([](paramguard::Replacing, int) { return true; });
    answerEeprom();
}

void Session::portEvent(const platform::PortEvent& event) {
    if (event.port != m_port)
        return;
    if (event.kind == platform::PortEventKind::OpenFailed)
        m_openFailure = event.cause.isEmpty() ? QStringLiteral("cannot open") : event.cause;
    else if (event.kind == platform::PortEventKind::Sent && event.bytes.size() == door::kFrameBytes)
        m_sentOrders.push_back(orderOf(event.bytes));
}

void Session::textSet(int panel, int control, const QString& text) {
    if (panel != m_panel || control != CTRL_STATUS)
        return;
    m_shownStatus = text;
    if (text == QLatin1String(STATUS_ECHO_OK))
        m_echoOk = true;
    else if (text == QLatin1String(STATUS_FRAME_RECEIVED))
        m_received = door::lastPacket();
    else if (text == QLatin1String(STATUS_TEACH_TIMEOUT))
        m_teachTimedOut = true;
    else if (text == QLatin1String(STATUS_FILE_NOT_READ))
        m_fileNotRead = true;
    else if (text == QLatin1String(STATUS_FILE_NOT_WRITTEN))
        m_fileNotWritten = true;
}

void Session::callbackEnded(int panel, int control, int event) {
    if (panel != m_panel || m_awaited != std::pair{control, event})
        return;
    m_awaited.reset();
    next();
}

void Session::next() {
    if (m_finished)
        return;
    if (m_steps.empty()) {
        finish(m_status);
        return;
    }
    Step step = std::move(m_steps.front());
    m_steps.pop_front();
    // Where callbacks run: a step may wait on the link as a callback does.
    platform::postCall(std::move(step));
}

void Session::press(int control, int awaited) {
    auto* button = qobject_cast<QAbstractButton*>(platform::controlWidget(m_panel, control));
    if (!button || !button->isEnabled()) {
        finish(kLine, QStringLiteral("%1: the panel does not take the command now (%2)")
                          .arg(portText(), m_shownStatus));
        return;
    }
    m_awaited = std::pair{control, awaited};
    button->click();
}

void Session::choose(int control) {
    auto* button = qobject_cast<QAbstractButton*>(platform::controlWidget(m_panel, control));
    if (button && button->isChecked()) {
        next();
        return;
    }
    press(control, kEventValueChanged);
}

void Session::start() {
    m_result.insert(QStringLiteral("command"), commandName(m_request.command));
    m_result.insert(QStringLiteral("port"), m_port);
    m_result.insert(QStringLiteral("device"), platform::portDevice(m_port));
    then([this] { checkConnected(); });
    switch (m_request.command) {
    case Command::Info:
        then([this] {
            const QString firmware = QString::fromLatin1(door::firmwareText());
            m_result.insert(QStringLiteral("firmware"), firmware);
            m_text += QStringLiteral("Port:     %1\nFirmware: %2\n")
                          .arg(portText(), linklog::escaped(firmware));
            next();
        });
        break;
    case Command::Read:
        planRead();
        break;
    case Command::Write:
        planWrite();
        break;
    case Command::Compare:
        planCompare();
        break;
    case Command::Record:
        planRecord();
        break;
    case Command::Teach:
        planTeach();
        break;
    case Command::Ports:
        break;
    }
    next();
}

void Session::checkConnected() {
    if (!m_openFailure.isEmpty())
        return finish(kPortNotOpened,
                      QStringLiteral("cannot open %1: %2").arg(portText(), m_openFailure));
    if (!m_echoOk)
        return finish(kLine,
                      QStringLiteral("%1: line check failed: %2").arg(portText(), m_shownStatus));
    if (!m_received)
        return finish(kLine, QStringLiteral("%1: the parameter set was not read: %2")
                                 .arg(portText(), m_shownStatus));
    if (door::firmwareText()[0] == '\0')
        return finish(
            kLine,
            QStringLiteral("%1: the firmware query failed: %2").arg(portText(), m_shownStatus));
    next();
}

void Session::planRead() {
    if (m_request.place == Place::Eeprom) {
        then([this] { choose(CTRL_EEPROM); });
        then([this] {
            m_received.reset();
            press(CTRL_GET, kEventCommit);
        });
        then([this] {
            if (!m_received)
                return finish(kLine, QStringLiteral("%1: the EEPROM was not read: %2")
                                         .arg(portText(), m_shownStatus));
            next();
        });
    }
    then([this] {
        const Words words = *m_received;
        m_result.insert(QStringLiteral("from"), placeName(m_request.place));
        m_result.insert(QStringLiteral("parameters"), wordsJson(words, names()));
        if (m_request.output.isEmpty())
            m_text += QStringLiteral("%1 of %2:\n").arg(placeName(m_request.place), portText()) +
                      wordsTable(words, names());
        m_fileWords = words;
        next();
    });
    if (!m_request.output.isEmpty())
        writeOutput();
}

void Session::writeOutput() {
    then([this] {
        // The panel writes the file: it must hold what the sensor sent.
        if (!panelHoldsFile())
            return;
        choose(CTRL_FILE);
    });
    then([this] {
        m_fileAnswer = m_request.output;
        m_fileNotWritten = false;
        press(CTRL_SEND, kEventCommit);
    });
    then([this] {
        if (m_fileNotWritten)
            return finish(kFileProblem,
                          QStringLiteral("cannot write %1: %2")
                              .arg(m_request.output, whyNotWritable(m_request.output)));
        m_result.insert(QStringLiteral("file"), m_request.output);
        m_text += QStringLiteral("The %1's set of %2 written to %3\n")
                      .arg(placeName(m_request.place), portText(), m_request.output);
        next();
    });
}

bool Session::panelHoldsFile() {
    const paramguard::ListedSet shown = paramguard::listedSet(m_panel);
    for (std::size_t i = 0; i < shown.words.size(); ++i)
        if (shown.words[i].panel != (*m_fileWords)[i]) {
            finish(kFileProblem,
                   QStringLiteral("%1 %2 is outside what the panel takes (it would hold %3): "
                                  "nothing written")
                       .arg(shown.words[i].name)
                       .arg((*m_fileWords)[i])
                       .arg(shown.words[i].panel));
            return false;
        }
    return true;
}

void Session::loadFile(const QString& path) {
    then([this] { choose(CTRL_FILE); });
    then([this, path] {
        m_fileAnswer = path;
        m_fileNotRead = false;
        press(CTRL_GET, kEventCommit);
    });
    then([this, path] {
        if (m_fileNotRead) {
            QFile file(path);
            return finish(kFileProblem,
                          file.open(QIODevice::ReadOnly)
                              ? QStringLiteral("%1: not a parameter file: it must begin with "
                                               "sixteen whole numbers from 0 to 65535")
                                    .arg(path)
                              : QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
        }
        m_fileWords = door::lastPacket();
        next();
    });
}

void Session::planWrite() {
    loadFile(m_request.file);
    then([this] {
        // What the panel would send must be the file's set, word for word.
        if (panelHoldsFile())
            choose(placeControl(m_request.place));
    });
    then([this] {
        m_sentOrders.clear();
        m_eepromRefusal.clear();
        // Send writes on the left click; its commit may be held back while the EEPROM's backup
        // is read.
        press(CTRL_SEND, kEventLeftClick);
    });
    then([this] {
        checkWritten(m_request.place == Place::Ram ? ORDER_WRITE_RAM : ORDER_WRITE_EEPROM);
    });
    if (m_request.verify)
        verify();
}

void Session::checkWritten(int order) {
    const bool sent =
        std::find(m_sentOrders.begin(), m_sentOrders.end(), order) != m_sentOrders.end();
    if (!sent || !door::lastRequestSentWhole())
        return finish(
            m_eepromRefusal.isEmpty() ? kLine : m_status,
            m_eepromRefusal.isEmpty()
                ? QStringLiteral("%1: the set was not sent: %2").arg(portText(), m_shownStatus)
                : m_eepromRefusal);
    m_result.insert(QStringLiteral("written"), wordsJson(*m_fileWords, names()));
    m_result.insert(QStringLiteral("to"), placeName(m_request.place));
    m_text += QStringLiteral("Written to %1 of %2: %3\n")
                  .arg(placeName(m_request.place), portText(), m_request.file);
    next();
}

void Session::verify() {
    then([this] {
        m_received.reset();
        press(CTRL_GET, kEventCommit);
    });
    then([this] {
        if (!m_received)
            return finish(
                kLine,
                QStringLiteral("%1: the set was not read back: %2").arg(portText(), m_shownStatus));
        const paramguard::ListedSet listed = names();
        QJsonArray differences;
        for (std::size_t i = 0; i < m_received->size(); ++i)
            if ((*m_received)[i] != (*m_fileWords)[i]) {
                differences.append(QJsonObject{{QStringLiteral("word"), int(i)},
                                               {QStringLiteral("name"), listed.words[i].name},
                                               {QStringLiteral("written"), (*m_fileWords)[i]},
                                               {QStringLiteral("read"), (*m_received)[i]}});
                m_text += QStringLiteral("Differs: %1 written %2, read back %3\n")
                              .arg(listed.words[i].name)
                              .arg((*m_fileWords)[i])
                              .arg((*m_received)[i]);
            }
        m_result.insert(QStringLiteral("verified"), differences.isEmpty());
        m_result.insert(QStringLiteral("differences"), differences);
        if (!differences.isEmpty())
            return finish(kDifference, QStringLiteral("%1: %2 word(s) read back differ")
                                           .arg(placeName(m_request.place))
                                           .arg(differences.size()));
        m_text += QStringLiteral("Verified: the %1 holds the file's set\n")
                      .arg(placeName(m_request.place));
        next();
    });
}

void Session::planCompare() {
    then([this] {
        QAbstractButton* compare = toolButton(QStringLiteral("compareButton"));
        auto& watch = exchanges::ExchangeWatch::of(m_panel, platform::panelWidget(m_panel));
        // Compare reads where callbacks run; it has ended when the watch is free again.
        connect(&watch, &exchanges::ExchangeWatch::busyChanged, this, [this](bool busy) {
            if (!busy && m_awaited == kToolRead) {
                m_awaited.reset();
                next();
            }
        });
        m_awaited = kToolRead;
        compare->click();
    });
    const std::size_t logged = m_log->entries().size();
    if (!m_request.file.isEmpty())
        then([this] {
            m_fileAnswer = m_request.file;
            if (QAbstractButton* add = toolButton(QStringLiteral("addFile")))
                add->click();
            next();
        });
    then([this, logged] {
        Compared compared{paramguard::listedSet(m_panel), !m_request.file.isEmpty()};
        const bool read = std::all_of(compared.set.words.begin(), compared.set.words.end(),
                                      [](const auto& word) { return word.ram && word.eeprom; });
        if (!read)
            return finish(kLine, QStringLiteral("%1: %2").arg(portText(), lastLogError(logged)));
        if (compared.withFile && !compared.set.words.front().file)
            return finish(kFileProblem, lastLogError(logged));
        const std::vector<int> differing = differingWords(compared.set);
        m_result.insert(QStringLiteral("parameters"), comparisonJson(compared));
        m_result.insert(QStringLiteral("differ"), !differing.empty());
        if (compared.withFile)
            m_result.insert(QStringLiteral("file"), m_request.file);
        m_text += comparisonTable(compared);
        if (!differing.empty()) {
            m_text += QStringLiteral("%1 word(s) differ\n").arg(differing.size());
            m_status = kDifference;
        }
        next();
    });
}

void Session::planRecord() {
    const std::size_t logged = m_log->entries().size();
    then([this, logged] {
        QAbstractButton* record = toolButton(QStringLiteral("recordButton"));
        m_fileAnswer = m_request.output;
        record->click();
        if (!record->isChecked())
            return finish(kFileProblem, lastLogError(logged));
        next();
    });
    then([this] {
        m_frames = 0;
        m_stopPressed = false;
        // The run's length counts from its start.
        platform::onCallbackStart([this](int panel, int control, int event) {
            if (panel != m_panel || control != CTRL_RUN || event != kEventCommit)
                return;
            QTimer::singleShot(std::chrono::milliseconds(qRound64(m_request.seconds * 1000)), this,
                               [this] {
                                   m_stopPressed = true;
                                   if (auto* stop = qobject_cast<QAbstractButton*>(
                                           platform::controlWidget(m_panel, CTRL_STOP)))
                                       stop->click();
                               });
        });
        press(CTRL_RUN, kEventCommit);
    });
    then([this] {
        toolButton(QStringLiteral("recordButton"))->click();
        m_result.insert(QStringLiteral("file"), m_request.output);
        m_result.insert(QStringLiteral("frames"), m_frames);
        m_result.insert(QStringLiteral("seconds"), m_request.seconds);
        m_text += QStringLiteral("Recorded %1 frames in %2 s to %3\n")
                      .arg(m_frames)
                      .arg(m_request.seconds)
                      .arg(m_request.output);
        if (!m_stopPressed)
            return finish(
                kLine,
                QStringLiteral("%1: the live view ended: %2").arg(portText(), m_shownStatus));
        next();
    });
}

void Session::planTeach() {
    then([this] {
        m_received.reset();
        m_teachTimedOut = false;
        press(m_request.teach == Teach::Reference ? CTRL_TEACH : CTRL_BUTTON_TEACH, kEventCommit);
    });
    then([this] {
        if (m_teachTimedOut || !m_received)
            return finish(kLine, QStringLiteral("%1: no answer to the teach command: %2")
                                     .arg(portText(), m_shownStatus));
        m_result.insert(QStringLiteral("parameters"), wordsJson(*m_received, names()));
        m_text += QStringLiteral("Taught; the RAM of %1 now holds:\n").arg(portText()) +
                  wordsTable(*m_received, names());
        next();
    });
}

void Session::answerEeprom() {
    paramguard::setEepromAnswer([this](const paramguard::EepromQuestion& question) {
        paramguard::EepromAnswer answer;
        if (!question.backupPath.isEmpty()) {
            m_result.insert(QStringLiteral("backup"), question.backupPath);
            m_text += QStringLiteral("Backup of the EEPROM: %1\n").arg(question.backupPath);
        } else if (!m_request.noBackup) {
            // Only this command's backup read has read the EEPROM: with a set read, the file
            // could not be written.
            const bool read = question.readAt.isValid() && !question.written;
            m_eepromRefusal = QStringLiteral("no backup of the EEPROM, nothing written "
                                             "(--no-backup writes without one): %1")
                                  .arg(question.backupProblem);
            m_status = read ? kFileProblem : kLine;
            return refused(answer);
        }
        if (m_request.yes) {
            answer.write = true;
            return answer;
        }
        QString changes;
        for (const paramguard::EepromRow& row : question.rows)
            if (!row.inEeprom || *row.inEeprom != row.value)
                changes += QStringLiteral("  %1: %2 -> %3\n")
                               .arg(row.name, row.inEeprom ? QString::number(*row.inEeprom)
                                                           : QStringLiteral("?"))
                               .arg(row.value);
        std::fprintf(stderr, "%sWrite the set to the EEPROM of %s? [y/N] ",
                     changes.toUtf8().constData(), portText().toUtf8().constData());
        std::fflush(stderr);
        char reply[16] = {};
        answer.write =
            std::fgets(reply, sizeof reply, stdin) && (reply[0] == 'y' || reply[0] == 'Y');
        if (answer.write)
            return answer;
        m_eepromRefusal = QStringLiteral("not written: the EEPROM write was not confirmed");
        m_status = kUsage;
        return refused(answer);
    });
}

paramguard::EepromAnswer Session::refused(paramguard::EepromAnswer answer) {
    // The left click is held back and its callback never ends: the step goes on from here, once
    // the question is answered.
    m_awaited.reset();
    next();
    return answer;
}

QAbstractButton* Session::toolButton(const QString& name) const {
    // The tools' buttons and windows are the panel's children.
    QWidget* panel = platform::panelWidget(m_panel);
    return panel ? panel->findChild<QAbstractButton*>(name) : nullptr;
}

QString Session::portText() const {
    return QStringLiteral("COM%1 (%2)").arg(m_port).arg(platform::portDevice(m_port));
}

QString Session::lastLogError(std::size_t since) const {
    const auto& entries = m_log->entries();
    for (std::size_t i = entries.size(); i > since; --i)
        if (entries[i - 1].kind == linklog::EntryKind::Error)
            return entries[i - 1].text;
    return m_shownStatus;
}

paramguard::ListedSet Session::names() const {
    return paramguard::listedSet(m_panel);
}

void Session::finish(int status, const QString& message) {
    if (m_finished)
        return;
    m_finished = true;
    m_status = status;
    m_steps.clear();
    if (!message.isEmpty()) {
        printError(message);
        m_result.insert(QStringLiteral("error"), message);
    }
    m_result.insert(QStringLiteral("exitStatus"), status);
    if (m_request.json)
        printOut(jsonText(m_result));
    else
        printOut(m_text);
    if (QWidget* panel = platform::panelWidget(m_panel))
        panel->close();
}

} // namespace cli
