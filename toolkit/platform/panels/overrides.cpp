#include "StripChart.h"

#include <platform/overrides.h>

namespace platform {

void setPlainPlotting(bool plain) {
    StripChart::usePlainPlotting(plain);
}

} // namespace platform
