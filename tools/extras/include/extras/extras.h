// The service tools beyond the panel's own controls (log, port list, recording, compare),
// attached to every panel loaded after this call. Needs a running toolkit.
#pragma once

void AttachServiceTools();
