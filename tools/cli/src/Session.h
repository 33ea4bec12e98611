// One command run on the program's panel: the steps an operator would take, each started when
// the one before has ended, what the program showed and sent followed through the seam's hooks,
// and the outcome printed once the command is done.
#pragma once

#include "Arguments.h"
#include "Output.h"

#include <linklog/LinkLog.h>
#include <paramguard/ParameterGuard.h>
#include <platform/linkevents.h>

#include <QJsonObject>
#include <QObject>
#include <QPointer>

#include <deque>
#include <functional>
#include <optional>

class QAbstractButton;

namespace cli {

class Session : public QObject {
public:
    explicit Session(Request request);

    void attach(linklog::LinkLog& log);
    int port() const { return m_port; }
    void start();
    int status() const { return m_status; }

private:
    using Step = std::function<void()>;

    // The hooks.
    void portEvent(const platform::PortEvent& event);
    void textSet(int panel, int control, const QString& text);
    void callbackEnded(int panel, int control, int event);

    // The steps: each ends by calling next(), or by the callback it awaits.
    void then(Step step) { m_steps.push_back(std::move(step)); }
    void next();
    // Sets off a control of the program as a keyboard does, and goes on once its callback for
    // `awaited` has returned.
    void press(int control, int awaited);
    // Switches a target button on, unless it is on.
    void choose(int control);
    void finish(int status, const QString& message = {});

    // The commands' steps.
    void planRead();
    void planWrite();
    void planCompare();
    void planRecord();
    void planTeach();

    // Step helpers.
    void checkConnected();
    void loadFile(const QString& path);
    bool panelHoldsFile();
    void checkWritten(int order);
    void verify();
    void writeOutput();
    void answerEeprom();
    paramguard::EepromAnswer refused(paramguard::EepromAnswer answer);
    QAbstractButton* toolButton(const QString& name) const;
    QString portText() const;
    QString lastLogError(std::size_t since) const;
    paramguard::ListedSet names() const;

    Request m_request;
    int m_port = 1;
    linklog::LinkLog* m_log = nullptr;
    int m_panel = 0;
    std::deque<Step> m_steps;
    // The callback whose end the running step awaits.
    std::optional<std::pair<int, int>> m_awaited;
    bool m_finished = false;
    int m_status = kSuccess;
    QJsonObject m_result;
    QString m_text;

    // What the program showed and sent.
    QString m_openFailure;
    QString m_shownStatus;
    bool m_echoOk = false;
    bool m_teachTimedOut = false;
    bool m_fileNotRead = false;
    bool m_fileNotWritten = false;
    std::optional<Words> m_received;
    std::vector<unsigned short> m_sentOrders;
    // The file the program's file dialogs are answered with.
    QString m_fileAnswer;
    std::optional<Words> m_fileWords;
    int m_frames = 0;
    bool m_stopPressed = false;
    QString m_eepromRefusal;
};

} // namespace cli
