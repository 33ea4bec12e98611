#include "SensorState.h"

#include <algorithm>
#include <utility>

namespace sim {

void SensorState::setFault(Fault fault) {
    const std::scoped_lock lock(m_mutex);
    m_fault = fault;
}

void SensorState::setSilentOrders(std::set<int> orders) {
    const std::scoped_lock lock(m_mutex);
    m_silentOrders = std::move(orders);
}

void SensorState::setLateReplyDelay(std::chrono::milliseconds delay) {
    const std::scoped_lock lock(m_mutex);
    m_lateReplyDelay = delay;
}

void SensorState::setPieces(std::size_t pieceSize, std::chrono::milliseconds pause) {
    const std::scoped_lock lock(m_mutex);
    m_pieceSize = std::max<std::size_t>(pieceSize, 1);
    m_piecePause = pause;
}

void SensorState::setExtraBytes(std::vector<std::uint8_t> bytes, std::chrono::milliseconds after) {
    const std::scoped_lock lock(m_mutex);
    m_extraBytes = std::move(bytes);
    m_extraBytesAfter = after;
}

void SensorState::setFirmwareText(std::string text, std::uint8_t highByte) {
    const std::scoped_lock lock(m_mutex);
    m_model.setFirmwareText(std::move(text), highByte);
}

void SensorState::setMeasurementOverride(std::optional<Words> words) {
    const std::scoped_lock lock(m_mutex);
    m_model.setMeasurementOverride(words);
}

Words SensorState::ram() const {
    const std::scoped_lock lock(m_mutex);
    return m_model.ram();
}

Words SensorState::eeprom() const {
    const std::scoped_lock lock(m_mutex);
    return m_model.eeprom();
}

void SensorState::setRam(const Words& words) {
    const std::scoped_lock lock(m_mutex);
    m_model.setRam(words);
}

void SensorState::setEeprom(const Words& words) {
    const std::scoped_lock lock(m_mutex);
    m_model.setEeprom(words);
}

std::vector<Frame> SensorState::receivedFrames() const {
    const std::scoped_lock lock(m_mutex);
    return m_received;
}

void SensorState::clearReceivedFrames() {
    const std::scoped_lock lock(m_mutex);
    m_received.clear();
}

bool SensorState::waitForFrames(std::size_t count, std::chrono::milliseconds bound) const {
    std::unique_lock lock(m_mutex);
    return m_framesRecorded.wait_for(lock, bound, [&] { return m_received.size() >= count; });
}

std::uint64_t SensorState::askAllIn() {
    const std::scoped_lock lock(m_mutex);
    return ++m_allInAsked;
}

std::uint64_t SensorState::allInAsked() const {
    const std::scoped_lock lock(m_mutex);
    return m_allInAsked;
}

void SensorState::allIn(std::uint64_t ticket) {
    {
        const std::scoped_lock lock(m_mutex);
        m_allInAnswered = std::max(m_allInAnswered, ticket);
    }
    m_allInChanged.notify_all();
}

bool SensorState::waitAllIn(std::uint64_t ticket, std::chrono::milliseconds bound) const {
    std::unique_lock lock(m_mutex);
    return m_allInChanged.wait_for(lock, bound, [&] { return m_allInAnswered >= ticket; });
}

std::optional<Delivery> SensorState::receive(const Frame& request, double seconds) {
    std::optional<Delivery> delivery;
    {
        const std::scoped_lock lock(m_mutex);
        m_received.push_back(request);
        auto bytes = m_model.answer(request, m_fault, seconds);
        if (bytes && m_fault != Fault::Silent && !m_silentOrders.contains(orderOf(request))) {
            delivery.emplace();
            delivery->bytes = std::move(*bytes);
            shape(*delivery);
        }
    }
    m_framesRecorded.notify_all();
    return delivery;
}

void SensorState::shape(Delivery& delivery) {
    switch (m_fault) {
    case Fault::LateReply:
        delivery.delay = m_lateReplyDelay;
        break;
    case Fault::FrameInPieces:
        delivery.pieceSize = m_pieceSize;
        delivery.piecePause = m_piecePause;
        break;
    case Fault::BytesAhead:
        delivery.bytes.insert(delivery.bytes.begin(), m_extraBytes.begin(), m_extraBytes.end());
        break;
    case Fault::ExtraBytes:
        delivery.extraFrom = delivery.bytes.size();
        delivery.extraAfter = m_extraBytesAfter;
        delivery.bytes.insert(delivery.bytes.end(), m_extraBytes.begin(), m_extraBytes.end());
        break;
    case Fault::Garbage:
        std::generate(delivery.bytes.begin(), delivery.bytes.end(),
                      [this] { return static_cast<std::uint8_t>(m_garbage() & 0xFF); });
        break;
    case Fault::None:
    case Fault::Silent:
    case Fault::WrongEcho:
    case Fault::ShortFirmware:
    case Fault::WritesLost:
        break;
    }
}

std::size_t SensorState::repliesSent() const {
    const std::scoped_lock lock(m_mutex);
    return m_repliesSent;
}

void SensorState::queueRaw(std::vector<std::uint8_t> bytes) {
    const std::scoped_lock lock(m_mutex);
    m_raw.insert(m_raw.end(), bytes.begin(), bytes.end());
}

std::vector<std::uint8_t> SensorState::takeRaw() {
    const std::scoped_lock lock(m_mutex);
    return std::exchange(m_raw, {});
}

} // namespace sim
