// Feeds arbitrary bytes to the frame codec: a received frame decodes into the packet word by
// word, high byte first, for the count asked and no further; a built frame decodes back into
// the words it was built from.
#include <com232/com232.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>

namespace {

void check(bool condition) {
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    // Counts beyond the packet and below zero too.
    const int count = static_cast<std::int8_t>(data[0]);
    const auto order = static_cast<unsigned short>(data[1] * 257);
    const std::size_t frameBytes = std::min<std::size_t>(size - 2, FRAME_BYTES);
    std::memset(szReadBuf, 0, FRAME_BYTES);
    std::memcpy(szReadBuf, data + 2, frameBytes);
    std::fill(std::begin(pp), std::end(pp), 0x5A5A);

    GetRxBuf(count);
    for (int i = 0; i < PNUM; ++i) {
        const auto word =
            static_cast<unsigned short>(szReadBuf[4 + 2 * i] * 256 + szReadBuf[5 + 2 * i]);
        check(pp[i] == (i < count ? word : 0x5A5A));
    }

    unsigned short words[PNUM];
    std::memcpy(words, szReadBuf + 4, sizeof words);
    FillTxBuf(order, words);
    check(szWriteBuf[0] == 0x00 && szWriteBuf[1] == 0x55);
    check(szWriteBuf[2] == (order >> 8) && szWriteBuf[3] == (order & 0xFF));
    std::memcpy(szReadBuf, szWriteBuf, FRAME_BYTES);
    GetRxBuf(PNUM);
    check(std::equal(std::begin(pp), std::end(pp), words));
    return 0;
}
