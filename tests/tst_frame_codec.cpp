// Building request frames from the packet, decoding replies into it, and the packet's word
// order against the parameter variables.
#include <com232/com232.h>
#include <gui/gui.h>

#include <QTest>

#include <array>
#include <vector>

using Words = std::array<unsigned short, PNUM>;
using Bytes = std::vector<unsigned char>;
Q_DECLARE_METATYPE(Words)
Q_DECLARE_METATYPE(Bytes)

namespace {

Bytes frameBytes() {
    return Bytes(szWriteBuf, szWriteBuf + FRAME_BYTES);
}

Bytes bytes(std::initializer_list<int> head, size_t zeros) {
    Bytes all;
    for (int b : head)
        all.push_back(static_cast<unsigned char>(b));
    all.insert(all.end(), zeros, 0);
    return all;
}

} // namespace

class FrameCodec : public QObject {
    Q_OBJECT

private slots:
    void init();
    void fillTxBufWritesBigEndianWords_data();
    void fillTxBufWritesBigEndianWords();
    void fillTxBufLeavesTheRestOfTheBuffer();
    void getRxBufIgnoresSyncAndOrder_data();
    void getRxBufIgnoresSyncAndOrder();
    void getRxBufDecodesOnlyTheCountGiven();
    void packetWordsFollowThePacketOrder();
};

void FrameCodec::init() {
    com232::sync = 0x55;
    std::fill(std::begin(szWriteBuf), std::end(szWriteBuf), 0xEE);
}

void FrameCodec::fillTxBufWritesBigEndianWords_data() {
    QTest::addColumn<int>("order");
    QTest::addColumn<Words>("words");
    QTest::addColumn<Bytes>("frame");
    QTest::newRow("RAM read with start-up values")
        << 2 << Words{500, 500} << bytes({0x00, 0x55, 0x00, 0x02, 0x01, 0xF4, 0x01, 0xF4}, 28);
    QTest::newRow("all ones is not signed")
        << 8 << Words{0xFFFF} << bytes({0x00, 0x55, 0x00, 0x08, 0xFF, 0xFF}, 30);
    Words last{};
    last[15] = 0x1234;
    Bytes lastFrame = bytes({0x00, 0x55, 0x00, 0x03}, 32);
    lastFrame[34] = 0x12;
    lastFrame[35] = 0x34;
    QTest::newRow("last word at bytes 34 and 35") << 3 << last << lastFrame;
    QTest::newRow("order word is 16 bits")
        << 0x0109 << Words{} << bytes({0x00, 0x55, 0x01, 0x09}, 32);
}

void FrameCodec::fillTxBufWritesBigEndianWords() {
    QFETCH(int, order);
    QFETCH(Words, words);
    QFETCH(Bytes, frame);
    FillTxBuf(static_cast<unsigned short>(order), words.data());
    QCOMPARE(frameBytes(), frame);
}

void FrameCodec::fillTxBufLeavesTheRestOfTheBuffer() {
    com232::sync = 0x1255;
    const Words words{};
    FillTxBuf(1, words.data());
    QCOMPARE(int(szWriteBuf[0]), 0x12);
    QCOMPARE(int(szWriteBuf[1]), 0x55);
    QCOMPARE(int(szWriteBuf[FRAME_BYTES]), 0xEE);
}

void FrameCodec::getRxBufIgnoresSyncAndOrder_data() {
    QTest::addColumn<Bytes>("reply");
    QTest::addColumn<Words>("words");
    QTest::newRow("proper reply") << bytes({0x00, 0x55, 0x00, 0x02, 0x01, 0xF4}, 30) << Words{500};
    QTest::newRow("any header") << bytes({0x12, 0x34, 0x56, 0x78, 0x00, 0xAA}, 30) << Words{0xAA};
    QTest::newRow("unsigned words")
        << bytes({0, 0, 0, 0, 0xFF, 0xFF, 0x80, 0x00}, 28) << Words{65535, 32768};
}

void FrameCodec::getRxBufIgnoresSyncAndOrder() {
    QFETCH(Bytes, reply);
    QFETCH(Words, words);
    std::copy(reply.begin(), reply.end(), szReadBuf);
    std::fill(std::begin(pp), std::end(pp), 7);
    GetRxBuf(PNUM);
    QCOMPARE(Words(std::to_array(pp)), words);
}

void FrameCodec::getRxBufDecodesOnlyTheCountGiven() {
    for (int i = 0; i < FRAME_BYTES; ++i)
        szReadBuf[i] = 0x01;
    std::fill(std::begin(pp), std::end(pp), 7);
    GetRxBuf(3);
    QCOMPARE(pp[2], 0x0101);
    QCOMPARE(pp[3], 7);
    QCOMPARE(pp[15], 7);
}

void FrameCodec::packetWordsFollowThePacketOrder() {
    unsigned short* inPacketOrder[PNUM] = {
        &power0,  &power1,  &reference, &tolerance, &hwMode, &polarity, &anaMode, &evalMode,
        &average, &teachAB, &teachCD,   &teachTHD,  &free12, &free13,   &free14,  &free15};
    for (int i = 0; i < PNUM; ++i)
        *inPacketOrder[i] = static_cast<unsigned short>(1000 + i);
    free15 = 0xFFFF;
    CopyVarsToPP();
    for (int i = 0; i < PNUM - 1; ++i)
        QCOMPARE(int(pp[i]), 1000 + i);
    QCOMPARE(pp[15], 0xFFFF);

    for (int i = 0; i < PNUM; ++i)
        pp[i] = static_cast<unsigned short>(2000 + i);
    CopyPPtoVars();
    for (int i = 0; i < PNUM; ++i)
        QCOMPARE(int(*inPacketOrder[i]), 2000 + i);
}

QTEST_GUILESS_MAIN(FrameCodec)
#include "tst_frame_codec.moc"
