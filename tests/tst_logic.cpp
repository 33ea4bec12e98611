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
#include <vector>

using Words = std::array<unsigned short, PNUM>;
using Bytes = std::vector<unsigned char>;
using Doubles = std::vector<double>;
using Events = std::vector<platform::PortEvent>;
using Presence = std::vector<QList<portlist::PortInfo>>;
using namespace std::chrono_literals;
Q_DECLARE_METATYPE(Words)
Q_DECLARE_METATYPE(Bytes)
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
    void framesGoHighByteFirstBothWays_data() {
        QTest::addColumn<int>("sync");
        QTest::addColumn<int>("order");
        QTest::addColumn<Words>("words");
        QTest::addColumn<Bytes>("frame");
        QTest::newRow("RAM read with start-up values")
            << 0x55 << 2 << Words{500, 500}
            << bytes({0x00, 0x55, 0x00, 0x02, 0x01, 0xF4, 0x01, 0xF4});
        QTest::newRow("all ones is not signed")
            << 0x55 << 8 << Words{0xFFFF, 0x8000}
            << bytes({0x00, 0x55, 0x00, 0x08, 0xFF, 0xFF, 0x80});
        Words last{};
        last[15] = 0x1234;
        Bytes lastFrame = bytes({0x00, 0x55, 0x00, 0x03});
        lastFrame[34] = 0x12;
        lastFrame[35] = 0x34;
        QTest::newRow("last word in bytes 34 and 35") << 0x55 << 3 << last << lastFrame;
        QTest::newRow("16-bit sync and order words")
            << 0x1255 << 0x0109 << Words{} << bytes({0x12, 0x55, 0x01, 0x09});
    }

    void framesGoHighByteFirstBothWays() {
        QFETCH(int, sync);
        QFETCH(int, order);
        QFETCH(Words, words);
        QFETCH(Bytes, frame);
        com232::sync = sync;
        std::fill(std::begin(szWriteBuf), std::end(szWriteBuf), 0xEE);
        FillTxBuf(static_cast<unsigned short>(order), words.data());
        QCOMPARE(Bytes(szWriteBuf, szWriteBuf + FRAME_BYTES), frame);
        QCOMPARE(int(szWriteBuf[FRAME_BYTES]), 0xEE);
        // A reply decodes whatever its sync and order words, and only as many words as asked.
        std::copy(frame.begin(), frame.end(), szReadBuf);
        std::fill(std::begin(pp), std::end(pp), 7);
        GetRxBuf(3);
        QCOMPARE(Words(std::to_array(pp)),
                 (Words{words[0], words[1], words[2], 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7}));
        GetRxBuf(PNUM);
        QCOMPARE(Words(std::to_array(pp)), words);
    }

    void outOfRangeValuesTakeTheirDefaults_data() {
        QTest::addColumn<int>("word"); // packet position
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("kept");
        QTest::newRow("power0 at its bound") << 0 << 1000 << 1000;
        QTest::newRow("power0 above") << 0 << 1001 << 500;
        QTest::newRow("reference at its bound") << 2 << 1023 << 1023;
        QTest::newRow("reference above") << 2 << 1024 << 512;
        QTest::newRow("tolerance above") << 3 << 2000 << 100;
        QTest::newRow("hwMode unclamped") << 4 << 65535 << 65535;
        QTest::newRow("polarity 2 becomes 1") << 5 << 2 << 1;
        QTest::newRow("evalMode 3 stays") << 7 << 3 << 3;
        QTest::newRow("evalMode 4 becomes 0") << 7 << 4 << 0;
        QTest::newRow("teachAB above") << 9 << 1024 << 100;
        QTest::newRow("teachTHD above") << 11 << 1024 << 400;
        QTest::newRow("free word unclamped") << 15 << 65535 << 65535;
    }

    void outOfRangeValuesTakeTheirDefaults() {
        QFETCH(int, word);
        QFETCH(int, value);
        QFETCH(int, kept);
        pp[word] = static_cast<unsigned short>(value);
        CopyPPtoVars();
        ClampParameters();
        CopyVarsToPP();
        QCOMPARE(int(pp[word]), kept);
    }

    void shiftMovesValuesAndZeroFills_data() {
        QTest::addColumn<Doubles>("input");
        QTest::addColumn<int>("shift");
        QTest::addColumn<int>("result");
        QTest::addColumn<Doubles>("output");
        const Doubles five{1, 2, 3, 4, 5};
        QTest::newRow("right by 2") << five << 2 << 0 << Doubles{0, 0, 1, 2, 3};
        QTest::newRow("left by 2") << five << -2 << 0 << Doubles{3, 4, 5, 0, 0};
        QTest::newRow("none") << five << 0 << 0 << five;
        QTest::newRow("right by 4") << five << 4 << 0 << Doubles{0, 0, 0, 0, 1};
        QTest::newRow("right by 5") << five << 5 << kErrShiftTooLarge << Doubles(5, 9);
        QTest::newRow("left by 5") << five << -5 << kErrShiftTooLarge << Doubles(5, 9);
        QTest::newRow("no elements") << Doubles{} << 3 << kErrCountTooSmall << Doubles{};
    }

    void shiftMovesValuesAndZeroFills() {
        QFETCH(Doubles, input);
        QFETCH(int, shift);
        QFETCH(int, result);
        QFETCH(Doubles, output);
        Doubles out(input.size(), 9.0);
        QCOMPARE(Shift(input.data(), static_cast<int>(input.size()), shift, out.data()), result);
        QCOMPARE(out, output);
        // In place, as the plots shift their histories.
        if (result == 0) {
            Shift(input.data(), static_cast<int>(input.size()), shift, input.data());
            QCOMPARE(input, output);
        }
    }

    // Each rest, in order: whether it found its frame complete.
    void lineTimeCountsEveryBitOfAByte_data() {
        QTest::addColumn<int>("bytes");
        QTest::addColumn<int>("dataBits");
        QTest::addColumn<int>("parity");
        QTest::addColumn<int>("stopBits");
        QTest::addColumn<int>("baud");
        QTest::addColumn<int>("microseconds");
        QTest::newRow("a frame, 8N1 at 19200") << FRAME_BYTES << 8 << 0 << 1 << 19200 << 18750;
        QTest::newRow("a byte, 7E2 at 9600") << 1 << 7 << 2 << 2 << 9600 << 1145;
        QTest::newRow("a rate not known") << 36 << 8 << 0 << 1 << 0 << 0;
    }

    void lineTimeCountsEveryBitOfAByte() {
        QFETCH(int, bytes);
        QFETCH(int, dataBits);
        QFETCH(int, parity);
        QFETCH(int, stopBits);
        QFETCH(int, baud);
        QFETCH(int, microseconds);
        const auto time =
            platform::lineTime(bytes, platform::bitsPerByte(dataBits, parity, stopBits), baud);
        QCOMPARE(std::chrono::duration_cast<std::chrono::microseconds>(time).count(), microseconds);
    }

    void restAllowanceFollowsTheLine_data() {
        QTest::addColumn<std::vector<bool>>("rests");
        QTest::addColumn<int>("allowance");
        const auto rests = [](std::initializer_list<std::pair<int, bool>> runs) {
            std::vector<bool> all;
            for (const auto& [count, complete] : runs)
                all.insert(all.end(), static_cast<std::size_t>(count), complete);
            return all;
        };
        QTest::newRow("never below nothing") << rests({{2, true}}) << 0;
        QTest::newRow("three small steps up") << rests({{1, false}}) << 15;
        QTest::newRow("one step down") << rests({{1, false}, {1, true}}) << 10;
        QTest::newRow("grows by about a fifth a rest") << rests({{30, false}}) << 5564;
        QTest::newRow("no longer than the longest") << rests({{200, false}}) << 20000;
        QTest::newRow("a stall counts little")
            << rests({{20, false}, {1, false}, {3, true}}) << 976;
        QTest::newRow("back to nothing when frames come on time")
            << rests({{30, false}, {120, true}}) << 0;
    }

    void restAllowanceFollowsTheLine() {
        QFETCH(std::vector<bool>, rests);
        QFETCH(int, allowance);
        platform::ArrivalAllowance learnt(20ms);
        for (const bool complete : rests)
            learnt.restEnded(complete);
        QCOMPARE(std::chrono::duration_cast<std::chrono::microseconds>(learnt.allowance()).count(),
                 allowance);
    }

    void openErrorsSayWhatWentWrong_data() {
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("status");
        QTest::newRow("unknown system error") << kComErrUnknownSystem << "Unknown system error";
        QTest::newRow("invalid port") << kComErrInvalidPort << "Invalid port number";
        QTest::newRow("not open") << kComErrPortNotOpen << "Port is not open";
        QTest::newRow("I/O error") << kComErrIo << "Unknown I/0 error";
        QTest::newRow("no such port") << kComErrNoSuchPort << "No serial port found";
        QTest::newRow("cannot open") << kComErrCannotOpen << "Cannot open port";
        QTest::newRow("any other") << -5 << "RS-232 error!";
    }

    void openErrorsSayWhatWentWrong() {
        QFETCH(int, result);
        QFETCH(QString, status);
        QCOMPARE(QString::fromLatin1(OpenErrorText(result)), status);
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
        row("opened", {portEvent(Opened)}, "open");
        row("a frame", {portEvent(Opened), sent(2), received(36)}, "answered");
        row("the echo without its marker", {sent(ORDER_LINE_CHECK), received(36, 0xAB)},
            "answered, wrong echo");
        row("the marker matters only for the echo", {sent(ORDER_READ_RAM), received(36, 0xAB)},
            "answered");
        row("63 bytes of the firmware's 64", {sent(ORDER_FIRMWARE), received(63)}, "short answer");
        row("a data block but its last byte",
            {sent(ORDER_DATA_BLOCK), received(DATA_BLOCK_BYTES - 1)}, "short answer");
        row("a reply begun otherwise", {sent(2), received(36, 0, true)}, "answered, malformed");
        row("no reply", {sent(2), portEvent(Unanswered)}, "no answer", true);
        row("an empty read", {sent(2), received(0)}, "no answer", true);
        row("a reply after its wait", {sent(2), portEvent(Unanswered), received(36)},
            "answered late", true);
        // A write is not answered: what comes after it, and a wait, are not its outcome; it
        // leaves the values shown as the exchange before it left them.
        row("after a write", {sent(2), received(36), sent(ORDER_WRITE_RAM), portEvent(Unanswered)},
            "sent, no reply expected");
        row("a write after no answer", {sent(2), portEvent(Unanswered), sent(ORDER_WRITE_EEPROM)},
            "sent, no reply expected", true);
        row("a reply after a write", {sent(ORDER_WRITE_RAM), received(36)},
            "sent, no reply expected");
        row("gone", {sent(2), portEvent(Gone)}, "device gone", true);
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

    // Frames `step` seconds apart, runs starting with the first and the fifth-last.
    void historyKeepsTenMinutesAndABoundedCount_data() {
        QTest::addColumn<int>("frames");
        QTest::addColumn<double>("step");
        QTest::addColumn<int>("kept");
        QTest::addColumn<int>("runStarts");
        QTest::newRow("a short run, all of it") << 10 << 0.5 << 10 << 2;
        QTest::newRow("ten minutes, no more") << 130 << 5.0 << 121 << 1;
        QTest::newRow("a clock that stands still") << 20005 << 0.0 << 20000 << 1;
    }

    void historyKeepsTenMinutesAndABoundedCount() {
        QFETCH(int, frames);
        QFETCH(double, step);
        QFETCH(int, kept);
        QFETCH(int, runStarts);
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
        QVERIFY(!history.timeOfFrame(frames) && (oldest == 0 || !history.timeOfFrame(oldest - 1)));
        QCOMPARE(int(history.runStarts().size()), runStarts);
        QCOMPARE(history.runStarts().back().frame, std::uint64_t(frames - 5));
    }

    // Every byte but 0, which ends the sensor's text, 32 at a time.
    void csvTextStaysOneFieldOnOneLine_data() {
        QTest::addColumn<QString>("text");
        for (int first = 1; first < 256; first += 32) {
            QString text;
            for (int byte = first; byte < std::min(first + 32, 256); ++byte)
                text += QChar(byte);
            QTest::addRow("bytes from %d", first) << text;
        }
    }

    void csvTextStaysOneFieldOnOneLine() {
        QFETCH(QString, text);
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
};

QTEST_GUILESS_MAIN(Logic)
#include "tst_logic.moc"
