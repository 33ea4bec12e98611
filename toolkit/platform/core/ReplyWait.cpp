#include "ReplyWait.h"

#include "Toolkit.h"

#include <utility>

namespace platform {

namespace {
int currentLevel() {
    Toolkit* toolkit = Toolkit::current();
    return toolkit ? toolkit->dispatcher().level() : 0;
}
} // namespace

void ReplyWait::requestWritten(int port) {
    m_port = port;
    m_level = currentLevel();
    m_polled = false;
}

void ReplyWait::replyRead(int port) {
    if (port == m_port)
        m_port = 0;
}

void ReplyWait::polled() {
    if (m_port != 0 && currentLevel() == m_level)
        m_polled = true;
}

void ReplyWait::programShows() {
    if (m_port == 0 || !m_polled || currentLevel() != m_level)
        return;
    const int port = std::exchange(m_port, 0);
    if (m_unanswered)
        m_unanswered(port);
}

void ReplyWait::levelLeft(int level) {
    if (m_level > level)
        m_port = 0;
}

} // namespace platform
