// Shows, on every panel loaded from now on, which device the link uses and how its last
// exchange went, from what the system does anyway: no frame is sent for it. Each new outcome
// of an exchange is written to the log.
#pragma once

#include <linklog/LinkLog.h>

namespace linkstate {

void installStateIndicator(linklog::LinkLog& log);

} // namespace linkstate
