// Tells the service tools when the program has stopped waiting for a reply without reading one.
// The program waits by polling (ProcessSystemEvents, GetInQLen) at the level of its nested calls
// where it wrote the request, and is done waiting once it shows something at that level: it sets
// a control's value or text, the outcome of the wait. Its time limits are its own; the seam
// learns that one ran out from the program going on without the reply. A wait whose call
// returns without showing anything was ended by the operator (Stop), and says nothing.
#pragma once

#include <functional>
#include <utility>

namespace platform {

class ReplyWait {
public:
    void requestWritten(int port);
    void replyRead(int port);
    void polled();
    // Whether the program waited for the reply to the last request written (polled at its
    // level), whether or not the wait is over.
    bool waitedFor() const { return m_polled; }
    // Reports the port to the serial part's hand when the program goes on from its wait here.
    void programShows();
    void setUnansweredReport(std::function<void(int port)> report) {
        m_unanswered = std::move(report);
    }
    // The dispatcher has come back up to this level: a wait begun deeper is over.
    void levelLeft(int level);

private:
    // The port whose reply is due and unread, 0 for none.
    int m_port = 0;
    int m_level = 0;
    bool m_polled = false;
    std::function<void(int port)> m_unanswered;
};

} // namespace platform
