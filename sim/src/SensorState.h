// Everything about the sensor that the caller's threads and the line's thread share:
// the model, the faults to play, what has been received and what waits to be sent raw.
#pragma once

#include "Delivery.h"
#include "SensorModel.h"

#include <sim/SimulatedSensor.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace sim {

class SensorState {
public:
    void setFault(Fault fault);
    void setSilentOrders(std::set<int> orders);
    void setLateReplyDelay(std::chrono::milliseconds delay);
    void setPieces(std::size_t pieceSize, std::chrono::milliseconds pause);
    void setExtraBytes(std::vector<std::uint8_t> bytes, std::chrono::milliseconds after);
    void setFirmwareText(std::string text, std::uint8_t highByte);
    void setMeasurementOverride(std::optional<Words> words);
    void setFlood(bool on) { m_flooding = on; }
    bool flooding() const { return m_flooding; }
    void countFlooded(std::size_t bytes) { m_flooded += bytes; }
    std::size_t floodedBytes() const { return m_flooded; }

    Words ram() const;
    Words eeprom() const;
    void setRam(const Words& words);
    void setEeprom(const Words& words);

    std::vector<Frame> receivedFrames() const;
    void clearReceivedFrames();
    bool waitForFrames(std::size_t count, std::chrono::milliseconds bound) const;
    // A caller asks whether all it wrote is in; the line's thread reads the device after the
    // ask and answers once what it read has arrived.
    std::uint64_t askAllIn();
    std::uint64_t allInAsked() const;
    void allIn(std::uint64_t ticket);
    bool waitAllIn(std::uint64_t ticket, std::chrono::milliseconds bound) const;

    // Records a request and carries it out, in one step, so that whoever sees it recorded
    // sees its effect too. The reply to send, shaped by the current fault, if any.
    std::optional<Delivery> receive(const Frame& request, double seconds);
    // Runs the write that ends a reply and counts the reply if all count bytes went out, in
    // one step, so that whoever has read a reply's last byte finds it counted.
    template <typename Write>
    std::size_t finishReply(std::size_t count, Write write) {
        const std::scoped_lock lock(m_mutex);
        const std::size_t written = write();
        if (written == count)
            ++m_repliesSent;
        return written;
    }
    std::size_t repliesSent() const;

    void queueRaw(std::vector<std::uint8_t> bytes);
    std::vector<std::uint8_t> takeRaw();

private:
    void shape(Delivery& delivery);

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_framesRecorded;
    SensorModel m_model;
    Fault m_fault = Fault::None;
    std::set<int> m_silentOrders;
    std::chrono::milliseconds m_lateReplyDelay{2500};
    std::size_t m_pieceSize = 10;
    std::chrono::milliseconds m_piecePause{5};
    std::vector<std::uint8_t> m_extraBytes = std::vector<std::uint8_t>(8, 0xEE);
    std::chrono::milliseconds m_extraBytesAfter{0};
    // A fixed seed, so that a test sees the same garbage every run.
    std::mt19937 m_garbage{0x5EED};
    std::vector<Frame> m_received;
    std::size_t m_repliesSent = 0;
    std::uint64_t m_allInAsked = 0;
    std::uint64_t m_allInAnswered = 0;
    mutable std::condition_variable m_allInChanged;
    std::vector<std::uint8_t> m_raw;
    std::atomic<bool> m_flooding = false;
    std::atomic<std::size_t> m_flooded = 0;
};

} // namespace sim
