#include "TelnetComPort.h"

#include <array>
#include <utility>

namespace platform {

namespace {

// Telnet's commands and the options used here.
constexpr unsigned char kIac = 255;
constexpr unsigned char kDont = 254;
constexpr unsigned char kDo = 253;
constexpr unsigned char kWont = 252;
constexpr unsigned char kWill = 251;
constexpr unsigned char kSb = 250;
constexpr unsigned char kSe = 240;
constexpr unsigned char kBinary = 0;
constexpr unsigned char kComPortOption = 44;
// The client's commands of the option; the server answers each with its number plus 100.
constexpr unsigned char kSetBaudRate = 1;
constexpr unsigned char kSetDataSize = 2;
constexpr unsigned char kSetParity = 3;
constexpr unsigned char kSetStopSize = 4;
constexpr unsigned char kServerOffset = 100;

QByteArray command(unsigned char verb, unsigned char option) {
    const std::array<char, 3> bytes{static_cast<char>(kIac), static_cast<char>(verb),
                                    static_cast<char>(option)};
    return QByteArray(bytes.data(), bytes.size());
}

QByteArray subnegotiation(unsigned char code, QByteArrayView value) {
    QByteArray bytes = command(kSb, kComPortOption);
    bytes += static_cast<char>(code);
    bytes += TelnetComPort::escape(value);
    bytes += static_cast<char>(kIac);
    bytes += static_cast<char>(kSe);
    return bytes;
}

// The option numbers parity 0 to 4 (none, odd, even, mark, space) have; 1 stop bit is 1, 2 is 2.
unsigned char parityValue(int parity) {
    return static_cast<unsigned char>(parity == 0   ? 1
                                      : parity == 1 ? 2
                                      : parity == 2 ? 3
                                                    : parity + 1);
}

} // namespace

TelnetComPort::TelnetComPort(const LineSettings& settings) : m_line(settings) {}

QByteArray TelnetComPort::greeting() const {
    return command(kWill, kBinary) + command(kDo, kBinary) + command(kWill, kComPortOption);
}

QByteArray TelnetComPort::escape(QByteArrayView payload) {
    QByteArray escaped;
    escaped.reserve(payload.size() + payload.count(static_cast<char>(kIac)));
    for (const char byte : payload) {
        escaped += byte;
        if (static_cast<unsigned char>(byte) == kIac)
            escaped += byte;
    }
    return escaped;
}

QByteArray TelnetComPort::settingsRequest() const {
    const auto baud = static_cast<quint32>(m_line.baudRate);
    const std::array<char, 4> baudBytes{static_cast<char>(baud >> 24),
                                        static_cast<char>(baud >> 16), static_cast<char>(baud >> 8),
                                        static_cast<char>(baud)};
    return subnegotiation(kSetBaudRate, QByteArrayView(baudBytes.data(), 4)) +
           subnegotiation(kSetDataSize, QByteArray(1, static_cast<char>(m_line.dataBits))) +
           subnegotiation(kSetParity,
                          QByteArray(1, static_cast<char>(parityValue(m_line.parity)))) +
           subnegotiation(kSetStopSize, QByteArray(1, static_cast<char>(m_line.stopBits)));
}

QByteArray TelnetComPort::decode(QByteArrayView received) {
    QByteArray payload;
    for (const char byte : received) {
        const auto value = static_cast<unsigned char>(byte);
        switch (m_state) {
        case State::Data:
            if (value == kIac)
                m_state = State::Command;
            else
                payload += byte;
            break;
        case State::Command:
            m_state = State::Data;
            if (value == kIac) {
                payload += byte;
            } else if (value >= kWill && value <= kDont) {
                m_verb = value;
                m_state = State::Option;
            } else if (value == kSb) {
                m_sub.clear();
                m_state = State::Sub;
            }
            // Any other command (NOP, a go-ahead, a break) carries nothing for the port.
            break;
        case State::Option:
            onOption(m_verb, value);
            m_state = State::Data;
            break;
        case State::Sub:
            if (value == kIac)
                m_state = State::SubCommand;
            else
                m_sub += byte;
            break;
        case State::SubCommand:
            if (value == kIac) {
                m_sub += byte;
                m_state = State::Sub;
            } else {
                // SE, or a command that ends it all the same.
                onSubnegotiation();
                m_state = State::Data;
            }
            break;
        }
    }
    return payload;
}

void TelnetComPort::onOption(unsigned char verb, unsigned char option) {
    if (option == kComPortOption) {
        if (verb == kDont || verb == kWont) {
            m_refused = true;
        } else if (verb == kDo && !m_asked) {
            m_asked = true;
            m_answers += settingsRequest();
        }
        return;
    }
    // Binary is what the client asked for; everything else it declines, once, so that no
    // answer is answered again.
    if (option == kBinary)
        return;
    if (verb == kWill && !m_declinedWill[option]) {
        m_declinedWill[option] = true;
        m_answers += command(kDont, option);
    } else if (verb == kDo && !m_declinedDo[option]) {
        m_declinedDo[option] = true;
        m_answers += command(kWont, option);
    }
}

void TelnetComPort::onSubnegotiation() {
    if (m_sub.size() < 2 || static_cast<unsigned char>(m_sub[0]) != kComPortOption)
        return;
    const int code = static_cast<unsigned char>(m_sub[1]) - kServerOffset;
    if (code < kSetBaudRate || code > kSetStopSize)
        return;
    // The server answers with the setting it has taken.
    const QByteArray asked = settingsRequest();
    const QByteArray answer = subnegotiation(static_cast<unsigned char>(code), m_sub.mid(2));
    if (!asked.contains(answer))
        m_refused = true;
    m_answered[code - 1] = true;
}

TelnetComPort::Settings TelnetComPort::settings() const {
    if (m_refused)
        return Settings::Refused;
    return m_answered.all() ? Settings::Accepted : Settings::Awaited;
}

} // namespace platform
