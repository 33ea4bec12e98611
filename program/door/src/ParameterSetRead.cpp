// A read of the parameter set beside the program's own exchanges, for Compare and the EEPROM
// confirmation: the program's request, and afterwards its link variables as they were.
#include <door/door.h>

#include <com232/com232.h>
#include <platform/serial.h>
#include <platform/ui.h>
#include <platform/util.h>

#include <algorithm>
#include <iterator>

namespace door {

namespace {

// Puts back what a request and its reply change of the link's variables.
class LinkVariablesKept {
public:
    LinkVariablesKept()
        : m_order(order), m_rxFlag(rx_flag), m_graphRefresh(graphrefresh), m_written(nBytesW),
          m_start(tstart), m_elapsed(tdiff) {
        std::copy(std::begin(pp), std::end(pp), m_packet.begin());
    }
    ~LinkVariablesKept() {
        std::copy(m_packet.begin(), m_packet.end(), std::begin(pp));
        order = m_order;
        rx_flag = m_rxFlag;
        graphrefresh = m_graphRefresh;
        nBytesW = m_written;
        tstart = m_start;
        tdiff = m_elapsed;
    }
    LinkVariablesKept(const LinkVariablesKept&) = delete;
    LinkVariablesKept& operator=(const LinkVariablesKept&) = delete;

private:
    Words m_packet{};
    int m_order, m_rxFlag, m_graphRefresh, m_written;
    double m_start, m_elapsed;
};

} // namespace

SetRead readParameterSet(int readOrder) {
    const LinkVariablesKept kept;
    CopyVarsToPP();
    FlushInQ(com);
    FlushOutQ(com);
    rx_flag = 0;
    if (SendFrame(com, static_cast<unsigned short>(readOrder), pp) != FRAME_BYTES)
        return {ReadOutcome::NotSent, {}};
    const double start = Timer();
    while (rx_flag != 1) {
        if (Timer() - start > kReadLimit)
            return {ReadOutcome::NoAnswer, {}};
        ProcessSystemEvents();
    }
    return {ReadOutcome::Read, lastPacket()};
}

} // namespace door
