#include "SetReads.h"

#include <com232/com232.h>
#include <platform/serial.h>
#include <platform/ui.h>
#include <shared/Protocol.h>

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace paramguard {

namespace {

// Puts back what a request and its reply change of the link's shared state.
class LinkStateKept {
public:
    LinkStateKept()
        : m_order(order), m_rxFlag(rx_flag), m_graphRefresh(graphrefresh), m_written(nBytesW),
          m_start(tstart), m_elapsed(tdiff) {
        std::copy(std::begin(pp), std::end(pp), m_packet.begin());
    }
    ~LinkStateKept() {
        std::copy(m_packet.begin(), m_packet.end(), std::begin(pp));
        order = m_order;
        rx_flag = m_rxFlag;
        graphrefresh = m_graphRefresh;
        nBytesW = m_written;
        tstart = m_start;
        tdiff = m_elapsed;
    }
    LinkStateKept(const LinkStateKept&) = delete;
    LinkStateKept& operator=(const LinkStateKept&) = delete;

private:
    std::array<unsigned short, PNUM> m_packet{};
    int m_order, m_rxFlag, m_graphRefresh, m_written;
    double m_start, m_elapsed;
};

} // namespace

SetRead readSensorSet(int readOrder) {
    const LinkStateKept kept;
    CopyVarsToPP();
    FlushInQ(com);
    FlushOutQ(com);
    rx_flag = 0;
    if (SendFrame(com, static_cast<unsigned short>(readOrder), pp) != FRAME_BYTES)
        return {std::nullopt, QStringLiteral("Request not sent: the port is not open")};
    const double start = Timer();
    while (rx_flag != 1) {
        // As long as the program's own Get waits.
        if (Timer() - start > REPLY_LIMIT)
            return {std::nullopt, QStringLiteral("No answer within %1 s").arg(REPLY_LIMIT)};
        ProcessSystemEvents();
    }
    ParameterSet words{};
    std::copy(std::begin(pp), std::end(pp), words.begin());
    return {words, {}};
}

SetRead readParameterFile(const QString& path) {
    // The words after the sixteenth are not read: they matter to no comparison.
    std::uint32_t values[kWords] = {};
    const int read = FileToArray(QFile::encodeName(path).constData(), values, kTypeUnsignedInt,
                                 kWords, 1, 0, 0, 1);
    const QString name = QFileInfo(path).fileName();
    if (read < kWords)
        return {std::nullopt, QStringLiteral("%1: not readable as a parameter file").arg(name)};
    if (std::any_of(values, values + kWords, [](std::uint32_t v) { return v > 0xFFFF; }))
        return {std::nullopt, QStringLiteral("%1: a word above 65535").arg(name)};
    ParameterSet words{};
    std::copy(values, values + kWords, words.begin());
    return {words, {}};
}

} // namespace paramguard
