// The client's side of telnet (RFC 854) with the COM-PORT-OPTION of RFC 2217, as far as a
// serial device server needs it: binary both ways, the line settings asked for and their
// answers read, 0xFF doubled in what is sent and undoubled in what comes, and every other
// telnet command taken out of the payload wherever it stands, also inside a frame.
#pragma once

#include "Transport.h"

#include <QByteArray>
#include <QByteArrayView>

#include <bitset>

namespace platform {

class TelnetComPort {
public:
    enum class Settings { Awaited, Accepted, Refused };

    explicit TelnetComPort(const LineSettings& settings);

    // What the client says first: binary both ways, and that it will use the option.
    QByteArray greeting() const;
    // The payload as sent on the connection.
    static QByteArray escape(QByteArrayView payload);
    // The payload among the received bytes, which may end anywhere, inside a command too.
    QByteArray decode(QByteArrayView received);
    // What the client is to send in answer to what was decoded.
    QByteArray takeAnswers() { return std::exchange(m_answers, {}); }
    Settings settings() const;

private:
    enum class State { Data, Command, Option, Sub, SubCommand };

    void onOption(unsigned char verb, unsigned char option);
    void onSubnegotiation();
    // The four settings: baud rate, data size, parity, stop size.
    QByteArray settingsRequest() const;

    LineSettings m_line;
    State m_state = State::Data;
    unsigned char m_verb = 0;
    QByteArray m_sub;
    QByteArray m_answers;
    bool m_asked = false;
    bool m_refused = false;
    // The settings the server has answered, by their command's number less 1.
    std::bitset<4> m_answered;
    // Options the server offered or asked for that the client declined, each once.
    std::bitset<256> m_declinedWill;
    std::bitset<256> m_declinedDo;
};

} // namespace platform
