// Feeds arbitrary bytes from the line to the receive path: the frame notification, the
// firmware reply and the data-block reply, over a real pseudo-terminal.
#include <com232/com232.h>
#include <platform/overrides.h>
#include <platform/serial.h>
#include <platform/ui.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr std::size_t kMostBytes = 3000; // below what a pty buffers

class Line {
public:
    Line() {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        static int argc = 1;
        static char name[] = "fuzz_receive_path";
        static char* argv[] = {name, nullptr};
        InitToolkit(argc, argv);
        int slave = -1;
        if (openpty(&m_master, &slave, nullptr, nullptr, nullptr) != 0)
            std::abort();
        termios raw{};
        tcgetattr(slave, &raw);
        cfmakeraw(&raw);
        tcsetattr(slave, TCSANOW, &raw);
        fcntl(m_master, F_SETFL, O_NONBLOCK);
        setenv("NALVO_COM1", ttyname(slave), 1);
        com = 1;
        if (OpenComConfig(com, "", 19200, 0, 8, 1, 4096, 4096) < 0)
            std::abort();
        SetComTime(com, 2.0);
        InstallComCallback(com, eventMask, FRAME_BYTES, com232::sync, RX_Receive_Function, nullptr);
        // Every wait for a raw reply gives up after a few polls.
        platform::setTimerSource([this] { return m_now += 0.5; });
    }

    // Puts the bytes on the line and waits until the tool's side holds them all.
    void send(const std::uint8_t* bytes, std::size_t count) {
        std::size_t written = 0;
        while (written < count) {
            const ssize_t n = write(m_master, bytes + written, count - written);
            if (n < 0 && errno != EAGAIN)
                std::abort();
            written += n > 0 ? static_cast<std::size_t>(n) : 0;
        }
        for (int polls = 0; polls < 2000 && GetInQLen(com) < static_cast<int>(count); ++polls) {
        }
    }

private:
    int m_master = -1;
    double m_now = 0.0;
};

std::uint16_t wordAt(const std::uint8_t* bytes, std::size_t i) {
    return static_cast<std::uint16_t>(bytes[2 * i] * 256 + bytes[2 * i + 1]);
}

void check(bool condition) {
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Line line;
    if (size < 2)
        return 0;
    const int mode = data[0] % 3;
    const int address = data[1] % 4 * 64 + (data[1] & 0x80 ? 1 : 0);
    const std::uint8_t* bytes = data + 2;
    const std::size_t count = std::min(size - 2, kMostBytes);

    FlushInQ(com);
    rx_flag = 0;
    std::fill(std::begin(pp), std::end(pp), 0x5A5A);
    line.send(bytes, count);

    if (mode == 0) {
        ProcessSystemEvents();
        ProcessSystemEvents();
        // A frame is decoded only when a whole one arrived, and then from its first bytes.
        check(rx_flag == (count >= FRAME_BYTES ? 1 : 0));
        for (std::size_t i = 0; i < PNUM; ++i)
            check(pp[i] == (rx_flag ? wordAt(bytes + 4, i) : 0x5A5A));
        check(count < FRAME_BYTES || GetInQLen(com) == 0);
    } else if (mode == 1) {
        const int n = ReadFirmwareReply();
        check(n == static_cast<int>(count));
        check(nBytesR >= 0 && nBytesR <= BUFFER_BYTES);
        check(std::strlen(szVersion) <= 32);
        if (count == FIRMWARE_BYTES)
            for (std::size_t i = 0; i < std::strlen(szVersion); ++i)
                check(szVersion[i] == static_cast<char>(bytes[2 * i + 1]));
    } else {
        unsigned short before[256];
        std::copy(std::begin(yArrayA), std::end(yArrayA), before);
        const int result = ReadDataBlockReply(address);
        check(result == (count == 128 ? 64 : 0));
        if (result == 64 && address == 0)
            for (std::size_t i = 0; i < 64; ++i)
                check(yArrayA[i] == wordAt(bytes, i));
        if (address == 1 && count >= 128)
            check(std::equal(std::begin(yArrayA), std::end(yArrayA), before));
    }
    return 0;
}
