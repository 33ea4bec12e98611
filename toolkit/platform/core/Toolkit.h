// The running toolkit: the application object (unless one was there already), the queued
// callbacks and the program's wait for a reply, the stand-in for the clock, and the state of
// each part of the seam above this one (serial ports, panels, files), which the parts keep
// here under their own types. InitToolkit makes it and CloseToolkit destroys it.
#pragma once

#include "EventDispatcher.h"
#include "ReplyWait.h"

#include <QApplication>

#include <functional>
#include <memory>
#include <vector>

namespace platform {

// What a part of the seam keeps while the toolkit runs; destroyed before the application.
class ToolkitPart {
public:
    ToolkitPart() = default;
    virtual ~ToolkitPart() = default;
    ToolkitPart(const ToolkitPart&) = delete;
    ToolkitPart& operator=(const ToolkitPart&) = delete;
};

class Toolkit {
public:
    // The running toolkit, or nullptr before InitToolkit and after CloseToolkit.
    static Toolkit* current();
    // False when the toolkit runs already.
    static bool start(int& argc, char** argv);
    static void stop();

    ~Toolkit();
    Toolkit(const Toolkit&) = delete;
    Toolkit& operator=(const Toolkit&) = delete;

    EventDispatcher& dispatcher() { return m_dispatcher; }
    ReplyWait& replyWait() { return m_replyWait; }

    // Kept until CloseToolkit, which destroys the parts newest first.
    void addPart(std::unique_ptr<ToolkitPart> part);

    // Stand-in for the steady clock; empty for the real one.
    std::function<double()> timerSource;

private:
    explicit Toolkit(std::unique_ptr<QApplication> application);

    // Made first and destroyed last: every widget and timer below needs it.
    std::unique_ptr<QApplication> m_application;
    EventDispatcher m_dispatcher;
    ReplyWait m_replyWait;
    std::vector<std::unique_ptr<ToolkitPart>> m_parts;
};

} // namespace platform
