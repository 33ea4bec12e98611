// What the measurement displays and lamps show, marked as the link's state has it: greyed while
// it may no longer be true, tinted while it came from a malformed reply, and said so in their
// accessible descriptions.
#pragma once

#include "LinkState.h"

namespace linkstate {

void markShownValues(int panel, const LinkState& state);

} // namespace linkstate
