// The simulated sensor's own behaviour that the tests of the tool do not run into: requests
// found behind junk, the line time at another speed, garbage, and the reference a teach takes.
#include <sim/SimulatedSensor.h>

#include <QByteArray>
#include <QTest>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>

using Clock = std::chrono::steady_clock;
using sim::Fault;
using sim::Words;
Q_DECLARE_METATYPE(Fault)

namespace {

constexpr Words kSomeSet{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 0x8000, 0xFFFF};
constexpr Words kFactorySet{500, 500, 512, 100, 0, 1, 0, 0, 0, 100, 700, 400, 0, 0, 0, 0};

QByteArray frame(int order, Words words = {}, int reference = -1) {
    if (reference >= 0)
        words[2] = static_cast<std::uint16_t>(reference);
    const sim::Frame bytes = sim::encodeFrame(order, words);
    return {reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())};
}

} // namespace

class SimulatedSensorTest : public QObject {
    Q_OBJECT

private slots:
    void repliesTakeTheirShapeAndTime_data();
    void repliesTakeTheirShapeAndTime();
};

void SimulatedSensorTest::repliesTakeTheirShapeAndTime_data() {
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<int>("baud");
    QTest::addColumn<int>("signal"); // the measured normalised signal a teach takes
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("reply"); // empty: a frame, but not the factory RAM read
    QTest::addColumn<int>("minimumMs");    // request and reply on the line
    QTest::newRow("junk before the request")
        << Fault::None << 19200 << 0 << QByteArray::fromHex("120000345500") + frame(2)
        << frame(2, kFactorySet) << 37;
    QTest::newRow("9600 baud") << Fault::None << 9600 << 0 << frame(2) << frame(2, kFactorySet)
                               << 74;
    QTest::newRow("garbage") << Fault::Garbage << 19200 << 0 << frame(2) << QByteArray() << 37;
    QTest::newRow("teach in range")
        << Fault::None << 19200 << 768 << frame(6, kSomeSet) << frame(6, kSomeSet, 768) << 37;
    QTest::newRow("teach below range")
        << Fault::None << 19200 << 0xFF00 << frame(6, kSomeSet) << frame(6, kSomeSet, 0) << 37;
    QTest::newRow("teach above range")
        << Fault::None << 19200 << 2000 << frame(6, kSomeSet) << frame(6, kSomeSet, 1023) << 37;
}

void SimulatedSensorTest::repliesTakeTheirShapeAndTime() {
    QFETCH(Fault, fault);
    QFETCH(int, baud);
    QFETCH(int, signal);
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, reply);
    QFETCH(int, minimumMs);
    sim::SimulatedSensor sensor({.baud = baud});
    Words measurement{};
    measurement[4] = static_cast<std::uint16_t>(signal);
    sensor.setMeasurementOverride(measurement);
    sensor.setFault(fault);
    QVERIFY(sensor.start());
    // The tool's end, set up as the tool sets up its port.
    const int fd = open(sensor.devicePath().c_str(), O_RDWR | O_NOCTTY);
    termios settings{};
    tcgetattr(fd, &settings);
    cfmakeraw(&settings);
    tcsetattr(fd, TCSANOW, &settings);
    const auto sent = Clock::now();
    QCOMPARE(write(fd, request.constData(), static_cast<size_t>(request.size())), request.size());
    QByteArray got;
    pollfd line{.fd = fd, .events = POLLIN, .revents = 0};
    char chunk[64];
    ssize_t count = 0;
    while (got.size() < 36 && poll(&line, 1, 3000) == 1 && (count = read(fd, chunk, 64)) > 0)
        got.append(chunk, count);
    close(fd);
    QVERIFY(Clock::now() - sent >= std::chrono::milliseconds(minimumMs));
    if (reply.isEmpty())
        QVERIFY(got.size() == 36 && got != frame(2, kFactorySet));
    else
        QCOMPARE(got, reply);
    if (signal > 0)
        QCOMPARE(frame(6, sensor.ram()), reply);
}

QTEST_GUILESS_MAIN(SimulatedSensorTest)
#include "tst_simulated_sensor.moc"
