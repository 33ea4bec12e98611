// Shows, on every panel loaded from now on, which device the link uses and how its last
// exchange went, from what the system does anyway: no frame is sent for it.
#pragma once

namespace linkstate {

void installStateIndicator();

} // namespace linkstate
