// The sensor's end of the line: a thread that reads requests from the pty's master, lets
// them arrive at line speed, has the sensor answer them one at a time and writes each reply
// byte when the line would have delivered it.
#pragma once

#include "LinePacing.h"
#include "Pty.h"
#include "RequestFramer.h"
#include "SensorState.h"
#include "Transmission.h"
#include "WakePipe.h"

#include <sim/SimulatedSensor.h>

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <thread>
#include <vector>

namespace sim {

class LineServer {
public:
    // A server on a new pty, or nothing when there is no pty to be had.
    static std::unique_ptr<LineServer> start(SensorState& state, const LineTiming& timing);

    // Stops the thread, then closes the pty.
    ~LineServer();
    LineServer(const LineServer&) = delete;
    LineServer& operator=(const LineServer&) = delete;

    const std::string& devicePath() const { return m_pty.slavePath(); }
    // Makes the thread look at the shared state again, e.g. for raw bytes to send.
    void wake() const { m_wake.wake(); }

private:
    LineServer(SensorState& state, const LineTiming& timing, Pty pty);

    struct Request {
        Frame frame;
        Clock::time_point complete;
    };
    struct Answer {
        Delivery delivery;
        Clock::time_point requestComplete;
    };

    void run();
    void completeArrivals(Clock::time_point now);
    // Writes what is due; false when the line would block.
    bool serviceOutput(Clock::time_point now);
    bool flushRaw();
    void flood();
    void startReply(Answer answer);
    std::size_t writeReplyBytes(std::span<const std::uint8_t> due);
    void waitForLine(bool blocked);
    void readRequests();

    SensorState& m_state;
    const LineSpeed m_speed;
    const Clock::duration m_turnaround;
    const Pty m_pty;
    const WakePipe m_wake;
    const Clock::time_point m_startedAt = Clock::now();
    std::atomic<bool> m_stopping = false;

    // The rest belongs to the line's thread alone.
    RequestFramer m_framer;
    ArrivalClock m_arrivals;
    std::deque<Request> m_onTheLine;
    std::deque<Answer> m_answers;
    std::optional<Transmission> m_reply;
    Clock::time_point m_lineFreeAt;
    std::vector<std::uint8_t> m_raw;
    // The latest ask whether all is in that a read of the device began after, and the
    // latest one answered.
    std::uint64_t m_allInRead = 0;
    std::uint64_t m_allInAnswered = 0;
    std::thread m_thread;
};

} // namespace sim
