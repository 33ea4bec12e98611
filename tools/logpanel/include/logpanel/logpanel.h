// Writes what happens on the link to the log, and shows the log in a panel below the status
// line of every panel loaded from now on (closed until the operator opens it), and its newest
// outcome under the status line. A typed number that a field limited to its range is said on
// that status line.
#pragma once

#include <linklog/LinkLog.h>

namespace logpanel {

// Its Save dialog is the seam's, which tests answer with platform::setFileSelectAnswer.
void installLogPanel(linklog::LinkLog& log);

// Shows at once the lines an open log holds back for its next showing, a second
// later: for tests, which do not wait on the real clock.
void showHeldLines();

} // namespace logpanel
