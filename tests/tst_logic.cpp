// The pure logic on its own: the frame codec, the clamps, the array moves, how long bytes take
// on the line and how long a port rests for a frame's late tail, the link's state, the port
// numbers, what the live view's time-stamped history keeps, and a recording's comment lines.
// (The firmware text and the parameter file reader are fuzzed.)
#include "ArrivalAllowance.h"
#include "CsvRecording.h"
#include "LineTime.h"
#include "LinkState.h"
#include "PortNumbers.h"
#include "TimedHistory.h"

#include <com232/com232.h>
#include <gui/gui.h>
#include <platform/serial.h>
#include <platform/util.h>
#include <shared/ProgramState.h>

#include <QTest>

#include <array>
#include <optional>
#include <tuple>
#include <vector>

using Words = std::array<unsigned short, PNUM>;
using Bytes = std::vector<unsigned char>;
using Doubles = std::vector<double>;
using Events = std::vector<platform::PortEvent>;
using Presence = std::vector<QList<portlist::PortInfo>>;
using namespace std::chrono_literals;
Q_DECLARE_METATYPE(Events)
Q_DECLARE_METATYPE(Presence)

namespace {

Bytes bytes(std::initializer_list<int> head) {
    Bytes all(head.begin(), head.end());
    all.resize(FRAME_BYTES, 0);
    return all;
}

// A comment with its escapes undone.
QString unescaped(const QString& comment) {
    QString text;
    for (qsizetype i = 0; i < comment.size(); ++i) {
        if (comment[i] != '\\' || i + 1 == comment.size()) {
            text += comment[i];
            continue;
        }
        const QChar kind = comment[++i];
        if (kind == 'x') {
            text += QChar(comment.mid(i + 1, 2).toUShort(nullptr, 16));
            i += 2;
        } else {
            text += kind == 'r' ? '\r' : kind == 'n' ? '\n' : kind == 't' ? '\t' : kind;
        }
    }
    return text;
}

// Port 1's events: a request with its order code, a reply of `bytes` bytes whose first word is
// `first`, a wait ended without one.
platform::PortEvent portEvent(platform::PortEventKind kind, QByteArray bytes = {}) {
    platform::PortEvent event{kind, 1, QStringLiteral("/dev/ttyUSB0"), std::move(bytes), 0, {}};
    return event;
}
platform::PortEvent sent(int order) {
    return portEvent(platform::PortEventKind::Sent,
                     QByteArray::fromRawData("\x00\x55\x00", 3) + char(order) + QByteArray(32, 0));
}
platform::PortEvent received(int bytes, int first = ECHO_MARKER, bool malformed = false) {
    QByteArray reply(bytes, 0);
    if (bytes > 5)
        reply[5] = char(first);
    auto received = portEvent(platform::PortEventKind::Received, reply);
    received.malformed = malformed;
    return received;
}

portlist::PortInfo port(const QString& device, const QString& serial = {},
                        const QString& byId = {}) {
    return {device, {}, serial, byId, device.contains(QLatin1String("USB"))};
}

} // namespace

class Logic : public QObject {
    Q_OBJECT

private slots:
    void init() { ResetProgramState(); }
    void framesGoHighByteFirstBothWays() {
        // High byte first both ways, and a last word of all ones, are in the exchanges with the
        // simulated sensor (tst_service_cli writes a set ending in 65535, tst_transfer reads
        // one); here 16-bit sync and order words, and the bytes and words left alone.
        com232::sync = 0x1255;
        std::fill(std::begin(szWriteBuf), std::end(szWriteBuf), 0xEE);
        const Words words{0x0102, 0x0304, 0x0506};
        FillTxBuf(0x0109, words.data());
        const Bytes frame = bytes({0x12, 0x55, 0x01, 0x09, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06});
        QCOMPARE(Bytes(szWriteBuf, szWriteBuf + FRAME_BYTES), frame);
        QCOMPARE(int(szWriteBuf[FRAME_BYTES]), 0xEE);
        // A reply decodes whatever its sync and order words, and only as many words as asked.
        std::copy(frame.begin(), frame.end(), szReadBuf);
        std::fill(std::begin(pp), std::end(pp), 7);
        GetRxBuf(2);
        QCOMPARE(Words(std::to_array(pp)),
                 (Words{0x0102, 0x0304, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7}));
        GetRxBuf(PNUM);
        QCOMPARE(Words(std::to_array(pp)), words);
    }

    void outOfRangeValuesTakeTheirDefaults() {
        // Packet position, value, value kept: each bound, and above it.
        constexpr std::array<std::array<int, 3>, 12> cases{{{0, 1000, 1000},
                                                            {0, 1001, 500},
                                                            {2, 1023, 1023},
                                                            {2, 1024, 512},
                                                            {3, 2000, 100},
                                                            {4, 65535, 65535},
                                                            {5, 2, 1},
                                                            {7, 3, 3},
                                                            {7, 4, 0},
                                                            {9, 1024, 100},
                                                            {11, 1024, 400},
                                                            {15, 65535, 65535}}};
        for (const auto& [word, value, kept] : cases) {
            ResetProgramState();
            pp[word] = static_cast<unsigned short>(value);
            CopyPPtoVars();
            ClampParameters();
            CopyVarsToPP();
            QCOMPARE(int(pp[word]), kept);
        }
    }

    void shiftMovesValuesAndZeroFills() {
        const Doubles five{1, 2, 3, 4, 5};
        const std::tuple<Doubles, int, int, Doubles> cases[]{
            {five, 2, 0, {0, 0, 1, 2, 3}},
            {five, -2, 0, {3, 4, 5, 0, 0}},
            {five, 0, 0, five},
            {five, 4, 0, {0, 0, 0, 0, 1}},
            {five, 5, kErrShiftTooLarge, Doubles(5, 9)},
            {five, -5, kErrShiftTooLarge, Doubles(5, 9)},
            {{}, 3, kErrCountTooSmall, {}}};
        for (auto [input, shift, result, output] : cases) {
            Doubles out(input.size(), 9.0);
            QCOMPARE(Shift(input.data(), static_cast<int>(input.size()), shift, out.data()),
                     result);
            QCOMPARE(out, output);
            // In place, as the plots shift their histories.
            if (result == 0) {
                Shift(input.data(), static_cast<int>(input.size()), shift, input.data());
                QCOMPARE(input, output);
            }
        }
    }

    void lineTimeCountsEveryBitOfAByte() {
        // Bytes, data bits, parity, stop bits, baud, and their time in microseconds.
        constexpr std::array<std::array<int, 6>, 3> cases{
            {{FRAME_BYTES, 8, 0, 1, 19200, 18750}, {1, 7, 2, 2, 9600, 1145}, {36, 8, 0, 1, 0, 0}}};
        for (const auto& [bytes, dataBits, parity, stopBits, baud, microseconds] : cases) {
            const auto time =
                platform::lineTime(bytes, platform::bitsPerByte(dataBits, parity, stopBits), baud);
            QCOMPARE(std::chrono::duration_cast<std::chrono::microseconds>(time).count(),
                     microseconds);
        }
    }

    void restAllowanceFollowsTheLine() {
        // Runs of rests, each as many as counted and finding its frame complete or not, then the
        // allowance learnt, in microseconds, with 20 ms the longest.
        using Runs = std::vector<std::pair<int, bool>>;
        const std::pair<Runs, int> cases[]{
            {{{2, true}}, 0},                            // never below nothing
            {{{1, false}}, 15},                          // three small steps up
            {{{1, false}, {1, true}}, 10},               // one step down
            {{{30, false}}, 5564},                       // grows by about a fifth a rest
            {{{200, false}}, 20000},                     // no longer than the longest
            {{{20, false}, {1, false}, {3, true}}, 976}, // a stall counts little
            {{{30, false}, {120, true}}, 0}};            // back to nothing when frames come on time
        for (const auto& [runs, allowance] : cases) {
            platform::ArrivalAllowance learnt(20ms);
            for (const auto& [count, complete] : runs)
                for (int rest = 0; rest < count; ++rest)
                    learnt.restEnded(complete);
            QCOMPARE(
                std::chrono::duration_cast<std::chrono::microseconds>(learnt.allowance()).count(),
                allowance);
        }
    }

    // The texts a port that cannot be opened shows are checked where it is chosen.
    void openErrorsSayWhatWentWrong() {
        const std::pair<int, const char*> cases[]{{kComErrUnknownSystem, "Unknown system error"},
                                                  {kComErrPortNotOpen, "Port is not open"},
                                                  {kComErrIo, "Unknown I/0 error"},
                                                  {-5, "RS-232 error!"}};
        for (const auto& [result, status] : cases)
            QCOMPARE(OpenErrorText(result), status);
    }

    void linkStateJudgesEachReplyByItsRequest_data() {
        QTest::addColumn<Events>("events");
        QTest::addColumn<QString>("state");
        QTest::addColumn<bool>("stale"); // the values shown may no longer be true
        using enum platform::PortEventKind;
        const auto row = [](const char* name, const Events& events, const char* state,
                            bool stale = false) {
            QTest::newRow(name) << events << QString(state) << stale;
        };
        // The outcomes the simulated sensor can give are followed through the tool; here the
        // rest.
        row("opened", {portEvent(Opened)}, "open");
        row("the marker matters only for the echo", {sent(ORDER_READ_RAM), received(36, 0xAB)},
            "answered");
        row("a data block but its last byte",
            {sent(ORDER_DATA_BLOCK), received(DATA_BLOCK_BYTES - 1)}, "short answer");
        row("an empty read", {sent(2), received(0)}, "no answer", true);
        // A write is not answered: what comes after it, and a wait, are not its outcome; it
        // leaves the values shown as the exchange before it left them.
        row("after a write", {sent(2), received(36), sent(ORDER_WRITE_RAM), portEvent(Unanswered)},
            "sent, no reply expected");
        row("a reply after a write", {sent(ORDER_WRITE_RAM), received(36)},
            "sent, no reply expected");
        row("cannot open", {portEvent(OpenFailed)}, "cannot open");
    }

    void linkStateJudgesEachReplyByItsRequest() {
        QFETCH(Events, events);
        QFETCH(QString, state);
        QFETCH(bool, stale);
        linkstate::LinkState link;
        for (const platform::PortEvent& event : events) {
            link.onPortEvent(event, 1);
            // Another port's events leave it as it is.
            QVERIFY(!link.onPortEvent(received(36, 0, true), 2));
        }
        QCOMPARE(linkstate::stateText(link.state()), state);
        QCOMPARE(link.stale(), stale);
    }

    // The ports present at each look, in turn; then what the drop-down lists with port 1 in
    // use, and the number a device named by path gets.
    void portNumbersStayWithTheirDevices_data() {
        QTest::addColumn<Presence>("looks");
        QTest::addColumn<QStringList>("listed");
        QTest::addColumn<QString>("named");
        QTest::addColumn<int>("namedNumber");
        const auto usb0 = QStringLiteral("/dev/ttyUSB0"), usb1 = QStringLiteral("/dev/ttyUSB1");
        const auto byId = QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R_X-if00-port0");
        const auto s0 = port(QStringLiteral("/dev/ttyS0"));
        // Port 3 is the environment's own.
        QTest::newRow("Windows ports keep their own number where it is free")
            << Presence{{port("/dev/ttyUSB5"), port("COM2"), port("\\\\.\\COM1"), port("COM4"),
                         port("COM3")}}
            << QStringList{"1 \\\\.\\COM1", "2 COM2", "4 COM4", "5 /dev/ttyUSB5", "6 COM3"}
            << "COM2" << 2;
        QTest::newRow("adapters first, ttyS2 before ttyS10")
            << Presence{{port("/dev/ttyS10"), port("/dev/ttyS2"), port(usb0)}}
            << QStringList{"1 " + usb0, "2 /dev/ttyS2", "4 /dev/ttyS10"} << "/dev/pts/7" << 5;
        QTest::newRow("an adapter back under another name, by its serial number")
            << Presence{{s0, port(usb0, "A1B2")}, {s0}, {s0, port(usb1, "A1B2")}}
            << QStringList{"1 " + usb1 + " back", "2 /dev/ttyS0"} << usb1 << 1;
        QTest::newRow("by its by-id name, without a serial number")
            << Presence{{port(usb0, {}, byId)}, {}, {port(usb1, {}, byId)}}
            << QStringList{"1 " + usb1 + " back"} << byId << 1;
        QTest::newRow("known by neither: another port, the one in use gone")
            << Presence{{s0, port(usb0)}, {s0}, {s0, port(usb1)}}
            << QStringList{"1 " + usb0 + " gone", "2 /dev/ttyS0", "4 " + usb1} << usb0 << 1;
    }

    void portNumbersStayWithTheirDevices() {
        QFETCH(Presence, looks);
        QFETCH(QStringList, listed);
        QFETCH(QString, named);
        QFETCH(int, namedNumber);
        portlist::PortNumbers numbers;
        const auto taken = [](int number) { return number == 3; };
        for (const QList<portlist::PortInfo>& present : looks)
            numbers.update(present, taken);
        QStringList shown;
        for (const portlist::PortEntry& entry : numbers.entries(1)) {
            const char* marks[] = {"", " gone", " back"};
            shown << QString::number(entry.number) + ' ' + entry.info.device +
                         marks[int(entry.state)];
        }
        QCOMPARE(shown, listed);
        QCOMPARE(numbers.name(named, taken), namedNumber);
    }

    void historyKeepsTenMinutesAndABoundedCount() {
        // Frames `step` seconds apart, runs starting with the first and the fifth-last: a short
        // run, all of it; ten minutes, no more; a clock that stands still.
        struct Case {
            int frames;
            double step;
            int kept;
            int runStarts;
        };
        for (const auto& [frames, step, kept, runStarts] :
             {Case{10, 0.5, 10, 2}, Case{130, 5.0, 121, 1}, Case{20005, 0.0, 20000, 1}}) {
            livetools::TimedHistory history;
            for (int i = 0; i < frames; ++i) {
                if (i == 0 || i == frames - 5)
                    history.markRunStart();
                history.append(step * i, std::array{double(i)});
            }
            const int oldest = frames - kept;
            QCOMPARE(int(history.samples().size()), kept);
            QCOMPARE(history.samples().front().values[0], double(oldest));
            QCOMPARE(history.timeOfFrame(oldest), std::optional(step * oldest));
            QVERIFY(!history.timeOfFrame(frames) &&
                    (oldest == 0 || !history.timeOfFrame(oldest - 1)));
            QCOMPARE(int(history.runStarts().size()), runStarts);
            QCOMPARE(history.runStarts().back().frame, std::uint64_t(frames - 5));
        }
    }

    void csvTextStaysOneFieldOnOneLine() {
        // Every byte but 0, which ends the sensor's text, 32 at a time.
        for (int first = 1; first < 256; first += 32) {
            QString text;
            for (int byte = first; byte < std::min(first + 32, 256); ++byte)
                text += QChar(byte);
            const QString field = livetools::csvText(text);
            // Quoted, with every quote inside doubled: a CSV reader takes it as one field.
            QVERIFY(field.size() >= 2 && field.startsWith('"') && field.endsWith('"'));
            QString inside = field.mid(1, field.size() - 2);
            QVERIFY(!QString(inside).remove(QLatin1String("\"\"")).contains('"'));
            QCOMPARE(unescaped(inside.replace(QLatin1String("\"\""), QLatin1String("\""))), text);
            // On one line; Latin-1 letters and signs come through as they are.
            for (const QChar c : field)
                QVERIFY(c.category() != QChar::Other_Control);
            for (const QChar c : text)
                QVERIFY(c.unicode() < 0xa0 || field.contains(c));
        }
    }
};

QTEST_GUILESS_MAIN(Logic)
#include "tst_logic.moc"
