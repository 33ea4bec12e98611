// The pure logic on its own: the frame codec, the clamps, the array moves, how long a port
// rests for a frame's late tail, what the live view's time-stamped history keeps, and a
// recording's comment lines. (The firmware text and the parameter file reader are fuzzed.)
#include "ArrivalAllowance.h"
#include "CsvRecording.h"
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
using namespace std::chrono_literals;
Q_DECLARE_METATYPE(Words)
Q_DECLARE_METATYPE(Bytes)

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
    void csvCommentsStaySingleFieldsFreeOfControls_data() {
        QTest::addColumn<QString>("text");
        for (int first = 1; first < 256; first += 32) {
            QString text;
            for (int byte = first; byte < std::min(first + 32, 256); ++byte)
                text += QChar(byte);
            QTest::addRow("bytes from %d", first) << text;
        }
    }

    void csvCommentsStaySingleFieldsFreeOfControls() {
        QFETCH(QString, text);
        const QString comment = livetools::csvComment(text);
        QCOMPARE(unescaped(comment), "# " + text);
        // One CSV field, unquoted, that starts with #: no separator, quote or control
        // character. Latin-1 letters and signs come through as they are.
        for (const QChar c : comment)
            QVERIFY(c != ',' && c != '"' && c.category() != QChar::Other_Control);
        for (const QChar c : text)
            QVERIFY(c.unicode() < 0xa0 || comment.contains(c));
    }
};

QTEST_GUILESS_MAIN(Logic)
#include "tst_logic.moc"
