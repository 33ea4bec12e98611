// The 36-byte frame: sync word, order word and sixteen payload words, all high byte first.
#include <com232/com232.h>

#include <platform/serial.h>

void FillTxBuf(unsigned short code, const unsigned short* words) {
    szWriteBuf[0] = static_cast<unsigned char>((com232::sync >> 8) & 0xFF);
    szWriteBuf[1] = static_cast<unsigned char>(com232::sync & 0xFF);
    szWriteBuf[2] = static_cast<unsigned char>(code >> 8);
    szWriteBuf[3] = static_cast<unsigned char>(code & 0xFF);
    for (int i = 0; i < PNUM; ++i) {
        szWriteBuf[4 + 2 * i] = static_cast<unsigned char>(words[i] >> 8);
        szWriteBuf[5 + 2 * i] = static_cast<unsigned char>(words[i] & 0xFF);
    }
}

// The reply's sync and order words are not looked at: any 36 bytes count as a reply.
void GetRxBuf(int count) {
    for (int i = 0; i < count && i < PNUM; ++i)
        pp[i] = static_cast<unsigned short>(szReadBuf[4 + 2 * i] * 256 + szReadBuf[5 + 2 * i]);
}

int SendFrame(int port, unsigned short code, const unsigned short* words) {
    FillTxBuf(code, words);
    nBytesW = ComWrt(port, reinterpret_cast<const char*>(szWriteBuf), FRAME_BYTES);
    return nBytesW;
}
