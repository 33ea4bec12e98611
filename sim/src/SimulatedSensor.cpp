#include <sim/SimulatedSensor.h>

#include "LineServer.h"
#include "SensorState.h"

#include <utility>

namespace sim {

SimulatedSensor::SimulatedSensor(LineTiming timing)
    : m_timing(timing), m_state(std::make_unique<SensorState>()) {}

SimulatedSensor::~SimulatedSensor() {
    stop();
}

bool SimulatedSensor::start() {
    if (m_timing.baud <= 0)
        return false;
    const std::scoped_lock lock(m_serverMutex);
    if (!m_server) {
        // Raw bytes the last line had no time to send are not for this one.
        m_state->takeRaw();
        m_server = LineServer::start(*m_state, m_timing);
    }
    return m_server != nullptr;
}

void SimulatedSensor::stop() {
    std::unique_ptr<LineServer> stopping;
    {
        const std::scoped_lock lock(m_serverMutex);
        stopping = std::move(m_server);
    }
    // Joined outside the lock, so that settings made meanwhile do not wait for it.
    stopping.reset();
}

std::string SimulatedSensor::devicePath() const {
    const std::scoped_lock lock(m_serverMutex);
    return m_server ? m_server->devicePath() : std::string();
}

void SimulatedSensor::setFault(Fault fault) {
    m_state->setFault(fault);
    wake();
}

void SimulatedSensor::setSilentOrders(std::set<int> orders) {
    m_state->setSilentOrders(std::move(orders));
    wake();
}

void SimulatedSensor::setLateReplyDelay(std::chrono::milliseconds delay) {
    m_state->setLateReplyDelay(delay);
    wake();
}

void SimulatedSensor::setPieces(std::size_t pieceSize, std::chrono::milliseconds pause) {
    m_state->setPieces(pieceSize, pause);
    wake();
}

void SimulatedSensor::setExtraBytes(std::vector<std::uint8_t> bytes,
                                    std::chrono::milliseconds after) {
    m_state->setExtraBytes(std::move(bytes), after);
    wake();
}

void SimulatedSensor::setFirmwareText(std::string text, std::uint8_t highByte) {
    m_state->setFirmwareText(std::move(text), highByte);
    wake();
}

void SimulatedSensor::setMeasurementOverride(std::optional<Words> words) {
    m_state->setMeasurementOverride(words);
    wake();
}

void SimulatedSensor::setFlood(bool on) {
    m_state->setFlood(on);
    wake();
}

std::size_t SimulatedSensor::floodedBytes() const {
    return m_state->floodedBytes();
}

Words SimulatedSensor::ram() const {
    return m_state->ram();
}

Words SimulatedSensor::eeprom() const {
    return m_state->eeprom();
}

void SimulatedSensor::setRam(const Words& words) {
    m_state->setRam(words);
}

void SimulatedSensor::setEeprom(const Words& words) {
    m_state->setEeprom(words);
}

std::vector<Frame> SimulatedSensor::receivedFrames() const {
    return m_state->receivedFrames();
}

void SimulatedSensor::clearReceivedFrames() {
    m_state->clearReceivedFrames();
}

bool SimulatedSensor::waitForFrames(std::size_t count, std::chrono::milliseconds bound) const {
    return m_state->waitForFrames(count, bound);
}

bool SimulatedSensor::waitForRequestsIn(std::chrono::milliseconds bound) {
    std::uint64_t ticket = 0;
    {
        const std::scoped_lock lock(m_serverMutex);
        if (!m_server)
            return true;
        ticket = m_state->askAllIn();
        m_server->wake();
    }
    return m_state->waitAllIn(ticket, bound);
}

void SimulatedSensor::sendRaw(std::vector<std::uint8_t> bytes) {
    const std::scoped_lock lock(m_serverMutex);
    // Without a line the bytes have nowhere to go; a later line must not get them.
    if (!m_server)
        return;
    m_state->queueRaw(std::move(bytes));
    m_server->wake();
}

std::size_t SimulatedSensor::repliesSent() const {
    return m_state->repliesSent();
}

void SimulatedSensor::wake() {
    const std::scoped_lock lock(m_serverMutex);
    if (m_server)
        m_server->wake();
}

} // namespace sim
