// Writes what happens on the link to the log, and shows the log in a panel below the status
// line of every panel loaded from now on (closed until the operator opens it).
#pragma once

#include <linklog/LinkLog.h>

#include <QString>
#include <QWidget>

#include <functional>

namespace logpanel {

// Returns the file to save the log to, or an empty string when the operator cancels.
using SavePathAsker = std::function<QString(QWidget* parent)>;

// Tests give the operator's answer; an empty function for the real dialog.
void installLogPanel(linklog::LinkLog& log, SavePathAsker asker = {});

} // namespace logpanel
