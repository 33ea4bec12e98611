// The service tools beyond the panel's own controls (log, port list, recording, compare),
// attached to every panel loaded after this call. Needs a running toolkit.
#pragma once

namespace linklog {
class LinkLog;
}

// Returns the tools' log, which lives as long as the application object.
linklog::LinkLog& AttachServiceTools();
