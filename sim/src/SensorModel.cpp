#include "SensorModel.h"

#include "Measurement.h"
#include "ParameterWords.h"

#include <algorithm>
#include <cstddef>

namespace sim {

namespace {

// The device's own order codes, written here and not taken from the program's
// <shared/Protocol.h> on purpose: the sensor models the device, and a code shared with the
// program would let a wrong one pass the tests unnoticed.
namespace order {
constexpr int kWriteRam = 1;
constexpr int kReadRam = 2;
constexpr int kWriteEeprom = 3;
constexpr int kReadEeprom = 4;
constexpr int kEcho = 5;
constexpr int kTeach = 6;
constexpr int kFirmware = 7;
constexpr int kMeasurement = 8;
constexpr int kDataBlock = 9;
} // namespace order

constexpr char kDefaultFirmwareText[] = "T-KOR-ZUL simulated sensor 1.0";
constexpr std::uint16_t kEchoMarker = 0x00AA;
constexpr std::uint16_t kWrongEchoMarker = 0x00AB;
constexpr std::size_t kFirmwareWords = 32;
constexpr std::size_t kDataBlockWords = 64;
constexpr int kLowestReference = 0;
constexpr int kHighestReference = 1023;

void appendBigEndian(std::vector<std::uint8_t>& bytes, std::uint16_t word) {
    bytes.push_back(static_cast<std::uint8_t>(word >> 8));
    bytes.push_back(static_cast<std::uint8_t>(word & 0xFF));
}

std::vector<std::uint8_t> frameBytes(int code, const Words& words) {
    const Frame frame = encodeFrame(code, words);
    return {frame.begin(), frame.end()};
}

std::vector<std::uint8_t> firmwareBytes(const std::string& text, std::uint8_t highByte,
                                        bool cutShort) {
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < kFirmwareWords; ++i) {
        const std::uint8_t character = i < text.size() ? static_cast<std::uint8_t>(text[i]) : 0;
        appendBigEndian(bytes, static_cast<std::uint16_t>(highByte << 8 | character));
    }
    if (cutShort)
        bytes.pop_back();
    return bytes;
}

std::vector<std::uint8_t> dataBlockBytes(std::uint16_t address) {
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < kDataBlockWords; ++i)
        appendBigEndian(bytes, static_cast<std::uint16_t>(address + i));
    return bytes;
}

} // namespace

SensorModel::SensorModel()
    : m_ram(param::kFactorySet), m_eeprom(param::kFactorySet),
      m_firmwareText(kDefaultFirmwareText) {}

std::optional<std::vector<std::uint8_t>> SensorModel::answer(const Frame& request, Fault fault,
                                                             double seconds) {
    const int code = orderOf(request);
    const Words words = decodeWords(request);
    switch (code) {
    case order::kWriteRam:
        if (fault != Fault::WritesLost)
            m_ram = words;
        return std::nullopt;
    case order::kReadRam:
        return frameBytes(code, m_ram);
    case order::kWriteEeprom:
        if (fault != Fault::WritesLost)
            m_eeprom = words;
        return std::nullopt;
    case order::kReadEeprom:
        return frameBytes(code, m_eeprom);
    case order::kEcho: {
        Words echo = words;
        echo[0] = fault == Fault::WrongEcho ? kWrongEchoMarker : kEchoMarker;
        return frameBytes(code, echo);
    }
    case order::kTeach:
        m_ram = words;
        m_ram[param::kReference] = static_cast<std::uint16_t>(
            std::clamp(normalised(seconds), kLowestReference, kHighestReference));
        return frameBytes(code, m_ram);
    case order::kFirmware:
        return firmwareBytes(m_firmwareText, m_firmwareHighByte, fault == Fault::ShortFirmware);
    case order::kMeasurement:
        return frameBytes(code, measurement(seconds));
    case order::kDataBlock:
        return dataBlockBytes(words[0]);
    default:
        return std::nullopt;
    }
}

Words SensorModel::measurement(double seconds) const {
    return m_override ? *m_override : measurementWords(m_ram, seconds);
}

// Teaching takes the signal the sensor reports, so an overridden measurement teaches too.
int SensorModel::normalised(double seconds) const {
    if (m_override)
        return static_cast<std::int16_t>((*m_override)[kNormalisedWord]);
    return normalisedSignal(m_ram, seconds);
}

} // namespace sim
