// What the sensor does with a request: its parameter sets and its answers, without any
// notion of the line. Not thread-safe; its owner serialises access.
#pragma once

#include <sim/SimulatedSensor.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sim {

class SensorModel {
public:
    SensorModel();

    // Carries out the request and returns the reply's bytes, or nothing for an order that
    // has no reply. Only the faults that change what the sensor says apply here.
    std::optional<std::vector<std::uint8_t>> answer(const Frame& request, Fault fault,
                                                    double seconds);

    const Words& ram() const { return m_ram; }
    const Words& eeprom() const { return m_eeprom; }
    void setRam(const Words& words) { m_ram = words; }
    void setEeprom(const Words& words) { m_eeprom = words; }
    void setFirmwareText(std::string text, std::uint8_t highByte) {
        m_firmwareText = std::move(text);
        m_firmwareHighByte = highByte;
    }
    void setMeasurementOverride(std::optional<Words> words) { m_override = words; }

private:
    Words measurement(double seconds) const;
    int normalised(double seconds) const;

    Words m_ram;
    Words m_eeprom;
    std::string m_firmwareText;
    std::uint8_t m_firmwareHighByte = 0;
    std::optional<Words> m_override;
};

} // namespace sim
