// A T-KOR-ZUL sensor that lives on a pseudo-terminal, for running the tool without hardware.
// The tool opens devicePath() as its serial port; the sensor answers at the pace of a real
// RS-232 line and can be told to misbehave in the ways real lines and sensors do.
#pragma once

#include <sim/Frames.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace sim {

enum class Fault {
    None,
    Silent,
    WrongEcho,
    ShortFirmware,
    LateReply,
    FrameInPieces,
    ExtraBytes,
    // The extra bytes come just ahead of every reply instead, once its request is in.
    BytesAhead,
    Garbage,
    // Writes are taken and forgotten, as by a worn or write-protected memory.
    WritesLost
};

// The tool drops whatever comes back before its request can have been received, so the
// sensor keeps to the line's speed.
struct LineTiming {
    int baud = 19200;
    std::chrono::microseconds turnaround{0};
};

class SensorState;
class LineServer;

class SimulatedSensor {
public:
    explicit SimulatedSensor(LineTiming timing = {});
    ~SimulatedSensor();
    SimulatedSensor(const SimulatedSensor&) = delete;
    SimulatedSensor& operator=(const SimulatedSensor&) = delete;

    // Opens a new pseudo-terminal and serves it; true as well when already serving.
    bool start();
    // Closes both ends, so the device disappears and the tool's reads fail.
    void stop();
    // The path the tool opens, e.g. /dev/pts/5; empty while stopped.
    std::string devicePath() const;

    // Faults and settings apply to requests that complete afterwards.
    void setFault(Fault fault);
    void setSilentOrders(std::set<int> orders);
    void setLateReplyDelay(std::chrono::milliseconds delay);
    void setPieces(std::size_t pieceSize, std::chrono::milliseconds pause);
    // The bytes that follow every reply with Fault::ExtraBytes, the first of them `after` the
    // reply's last byte (a trailing CR, a checksum, noise); with Fault::BytesAhead they lead it.
    void setExtraBytes(std::vector<std::uint8_t> bytes,
                       std::chrono::milliseconds after = std::chrono::milliseconds(0));
    // The firmware text, one character a word; the sensor the tool was made for sends each
    // word's high byte as zero.
    void setFirmwareText(std::string text, std::uint8_t highByte = 0);
    void setMeasurementOverride(std::optional<Words> words);
    // A device that ignores the baud rate: while on, bytes go out as fast as the line takes
    // them, and replies wait until it is off.
    void setFlood(bool on);
    std::size_t floodedBytes() const;

    Words ram() const;
    Words eeprom() const;
    void setRam(const Words& words);
    void setEeprom(const Words& words);

    // Every complete request frame, in order of arrival.
    std::vector<Frame> receivedFrames() const;
    void clearReceivedFrames();
    // Waits until at least count frames have been received, at most for bound.
    bool waitForFrames(std::size_t count, std::chrono::milliseconds bound) const;
    // Waits, at most for bound, until every byte written to the device so far has been read
    // and each whole request among them received: what the tool sent is then all counted.
    bool waitForRequestsIn(std::chrono::milliseconds bound);
    // Sends bytes to the tool right away, unpaced.
    void sendRaw(std::vector<std::uint8_t> bytes);
    // Replies written completely so far.
    std::size_t repliesSent() const;

private:
    void wake();

    const LineTiming m_timing;
    const std::unique_ptr<SensorState> m_state;
    // Settings may change from any thread while another one stops the sensor.
    mutable std::mutex m_serverMutex;
    std::unique_ptr<LineServer> m_server;
};

} // namespace sim
