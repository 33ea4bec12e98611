#include "TimedTraceData.h"

namespace livetools {

namespace {
// Room beyond a quarter more than the span holds, for the breaks at gaps and a rate that varies.
constexpr int kSpareRoom = 64;
} // namespace

void TimedTraceData::append(const QCPGraphData& point, double oldest) {
    // The dropped points stay at the front of the storage until the end has no room left; then
    // the kept ones move down over them, unless they are too few to be worth the copy (a rate
    // that rose), and the storage grows.
    if (mData.size() == mData.capacity() && mPreallocSize >= size() / 8)
        squeeze(true, false);
    add(point);
    const int kept = size();
    removeBefore(oldest);
    if (m_spanFull || size() == kept)
        return;
    // From the first point dropped on, about as many fall out as come: room for a quarter more
    // than the span holds, taken once, instead of the doubling that appending would go on with.
    m_spanFull = true;
    squeeze(true, true);
    mData.reserve(size() + size() / 4 + kSpareRoom);
}

} // namespace livetools
