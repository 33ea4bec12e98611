#include "CommandLine.h"

#include <array>
#include <charconv>
#include <string_view>
#include <utility>

namespace sim::tool {

namespace {

constexpr std::array<std::pair<std::string_view, Fault>, 9> kFaultNames{{
    {"none", Fault::None},
    {"silent", Fault::Silent},
    {"wrong-echo", Fault::WrongEcho},
    {"short-firmware", Fault::ShortFirmware},
    {"writes-lost", Fault::WritesLost},
    {"late-reply", Fault::LateReply},
    {"frame-in-pieces", Fault::FrameInPieces},
    {"extra-bytes", Fault::ExtraBytes},
    {"garbage", Fault::Garbage},
}};

std::optional<int> parseNumber(std::string_view text, int lowest) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < lowest)
        return std::nullopt;
    return value;
}

std::optional<Fault> parseFault(std::string_view text) {
    for (const auto& [name, fault] : kFaultNames) {
        if (name == text)
            return fault;
    }
    return std::nullopt;
}

} // namespace

std::optional<Options> parseCommandLine(std::span<const char* const> arguments) {
    Options options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string_view option = arguments[i];
        if (i + 1 == arguments.size())
            return std::nullopt;
        const std::string_view value = arguments[++i];
        if (option == "--baud") {
            const auto baud = parseNumber(value, 1);
            if (!baud)
                return std::nullopt;
            options.timing.baud = *baud;
        } else if (option == "--turnaround-ms") {
            const auto milliseconds = parseNumber(value, 0);
            if (!milliseconds)
                return std::nullopt;
            options.timing.turnaround = std::chrono::milliseconds(*milliseconds);
        } else if (option == "--fault" && value == "late-cr") {
            // A CR some time after each reply, once the next request has left the line.
            options.fault = Fault::ExtraBytes;
            options.extraBytes = std::vector<std::uint8_t>{'\r'};
            options.extraBytesAfter = std::chrono::milliseconds(30);
        } else if (option == "--fault") {
            const auto fault = parseFault(value);
            if (!fault)
                return std::nullopt;
            options.fault = *fault;
        } else {
            return std::nullopt;
        }
    }
    return options;
}

} // namespace sim::tool
