// What assistive technology learns of the controls that only show values: a numeric display's
// number, a lamp's state, a strip chart's last values. Read when asked, so that a live view
// costs nothing while no screen reader listens.
#pragma once

namespace platform {

void installAccessibleControls();

} // namespace platform
