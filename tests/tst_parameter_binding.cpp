// The sixteen parameter variables against the real panel: clamps, write-back, the tolerance
// dimming rule and the input lamps.
#include "PanelDriver.h"

#include <app/Nalvo-ZUridozU10.h>
#include <gui/gui.h>
#include <platform/ui.h>
#include <shared/ControlIds.h>

#include <Lamp.h>

#include <QComboBox>
#include <QSpinBox>
#include <QTest>

using namespace testing;

namespace {

struct Variable {
    const char* name;
    unsigned short* address;
    int control;
};

const std::vector<Variable> kBound{
    {"power0", &power0, CTRL_POWER0},          {"power1", &power1, CTRL_POWER1},
    {"reference", &reference, CTRL_REFERENCE}, {"tolerance", &tolerance, CTRL_TOLERANCE},
    {"hwMode", &hwMode, CTRL_HW_MODE},         {"polarity", &polarity, CTRL_POLARITY},
    {"anaMode", &anaMode, CTRL_ANA_MODE},      {"average", &average, CTRL_AVERAGE},
    {"evalMode", &evalMode, CTRL_EVAL_MODE},   {"teachAB", &teachAB, CTRL_TEACH_AB},
    {"teachCD", &teachCD, CTRL_TEACH_CD},      {"teachTHD", &teachTHD, CTRL_TEACH_THD},
};

const Variable& variable(const QString& name) {
    for (const Variable& v : kBound)
        if (name == QLatin1String(v.name))
            return v;
    qFatal("no variable %s", qPrintable(name));
}

bool toleranceDimmed() {
    return !control(CTRL_TOLERANCE)->isEnabled();
}

bool lamp(int id) {
    return control<platform::Lamp>(id)->isOn();
}

} // namespace

class ParameterBinding : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void clampsOutOfRangeValues_data();
    void clampsOutOfRangeValues();
    void controlsHoldEverySixteenBitValue_data();
    void controlsHoldEverySixteenBitValue();
    void readingAndWritingBackChangesNothing();
    void freeWordsAreNeitherReadNorWritten();
    void toleranceIsDimmedInModesOneAndThree_data();
    void toleranceIsDimmedInModesOneAndThree();
    void choosingAModeDimsAtOnceUntilTheNextWrite();
    void lampsShowTheLowTwoBits();
};

void ParameterBinding::init() {
    startMainPanel();
}

void ParameterBinding::cleanup() {
    discardMainPanel();
}

void ParameterBinding::clampsOutOfRangeValues_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("shown");
    QTest::newRow("reference at its bound") << "reference" << 1023 << 1023;
    QTest::newRow("reference above") << "reference" << 1024 << 512;
    QTest::newRow("reference far above") << "reference" << 65535 << 512;
    QTest::newRow("power0 at its bound") << "power0" << 1000 << 1000;
    QTest::newRow("power0 above") << "power0" << 1001 << 500;
    QTest::newRow("power1 above") << "power1" << 1001 << 500;
    QTest::newRow("tolerance above") << "tolerance" << 2000 << 100;
    QTest::newRow("polarity 2 becomes 1") << "polarity" << 2 << 1;
    QTest::newRow("polarity 0 stays") << "polarity" << 0 << 0;
    QTest::newRow("evalMode 3 stays") << "evalMode" << 3 << 3;
    QTest::newRow("evalMode 4 becomes 0") << "evalMode" << 4 << 0;
    QTest::newRow("teachAB above") << "teachAB" << 1024 << 100;
    QTest::newRow("teachCD above") << "teachCD" << 1024 << 700;
    QTest::newRow("teachTHD above") << "teachTHD" << 1024 << 400;
    QTest::newRow("hwMode unclamped") << "hwMode" << 65535 << 65535;
    QTest::newRow("anaMode unclamped") << "anaMode" << 65535 << 65535;
    QTest::newRow("average unclamped") << "average" << 65535 << 65535;
}

void ParameterBinding::clampsOutOfRangeValues() {
    QFETCH(QString, name);
    QFETCH(int, value);
    QFETCH(int, shown);
    const Variable& v = variable(name);
    *v.address = static_cast<unsigned short>(value);
    SetPanelValues();
    // The replacement is stored, not only shown.
    QCOMPARE(int(*v.address), shown);
    QCOMPARE(intValue(v.control), shown);
}

void ParameterBinding::controlsHoldEverySixteenBitValue_data() {
    QTest::addColumn<int>("control");
    QTest::addColumn<int>("value");
    for (int value : {0, 1, 4, 1023, 40000, 65535}) {
        QTest::addRow("hardware mode %d", value) << CTRL_HW_MODE << value;
        QTest::addRow("power 0 %d", value) << CTRL_POWER0 << value;
        QTest::addRow("averaging %d", value) << CTRL_AVERAGE << value;
    }
}

void ParameterBinding::controlsHoldEverySixteenBitValue() {
    // The live view writes sensor words into parameter controls, and a drop-down may be
    // given a mode none of its items names: the control shows it and gives it back.
    QFETCH(int, control);
    QFETCH(int, value);
    SetCtrlVal(panelHandle, control, value);
    QCOMPARE(intValue(control), value);
    unsigned short word = 0;
    GetCtrlVal(panelHandle, control, &word);
    QCOMPARE(int(word), value);
    if (auto* ring = testing::control<QComboBox>(control))
        QCOMPARE(ring->currentText(),
                 value <= 3 ? QStringLiteral("Mode %1").arg(value) : QString::number(value));
}

void ParameterBinding::readingAndWritingBackChangesNothing() {
    const std::vector<int> values{700, 800, 1000, 50, 2, 0, 17, 300, 3, 11, 22, 33};
    for (size_t i = 0; i < kBound.size(); ++i)
        SetCtrlVal(panelHandle, kBound[i].control, values[i]);
    GetPanelValues();
    SetPanelValues();
    for (size_t i = 0; i < kBound.size(); ++i) {
        QCOMPARE(int(*kBound[i].address), values[i]);
        QCOMPARE(intValue(kBound[i].control), values[i]);
    }
}

void ParameterBinding::freeWordsAreNeitherReadNorWritten() {
    free12 = 1;
    free13 = 2;
    free14 = 3;
    free15 = 65535;
    GetPanelValues();
    SetPanelValues();
    QCOMPARE(free12 + free13 + free14, 6);
    QCOMPARE(free15, 65535);
}

void ParameterBinding::toleranceIsDimmedInModesOneAndThree_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("dimmed");
    QTest::newRow("0") << 0 << false;
    QTest::newRow("1") << 1 << true;
    QTest::newRow("2") << 2 << false;
    QTest::newRow("3") << 3 << true;
    QTest::newRow("4") << 4 << false;
}

void ParameterBinding::toleranceIsDimmedInModesOneAndThree() {
    QFETCH(int, mode);
    QFETCH(bool, dimmed);
    hwMode = static_cast<unsigned short>(mode);
    tolerance = 2000;
    SetPanelValues();
    QCOMPARE(toleranceDimmed(), dimmed);
    // Dimmed or not, its value is clamped, read and written like any other.
    QCOMPARE(intValue(CTRL_TOLERANCE), 100);
    SetCtrlVal(panelHandle, CTRL_TOLERANCE, 77);
    GetPanelValues();
    QCOMPARE(tolerance, 77);
}

void ParameterBinding::choosingAModeDimsAtOnceUntilTheNextWrite() {
    QVERIFY(!toleranceDimmed());
    chooseItem(CTRL_HW_MODE, 3);
    dispatchPending();
    QVERIFY(toleranceDimmed());
    // The drop-down does not change the variable; only reading the panel does.
    QCOMPARE(hwMode, 0);
    chooseItem(CTRL_HW_MODE, 2);
    dispatchPending();
    QVERIFY(!toleranceDimmed());
    chooseItem(CTRL_HW_MODE, 1);
    dispatchPending();
    QVERIFY(toleranceDimmed());
    hwMode = 0;
    SetPanelValues();
    QVERIFY(!toleranceDimmed());
    QCOMPARE(intValue(CTRL_HW_MODE), 0);
}

void ParameterBinding::lampsShowTheLowTwoBits() {
    SetInputLED(3);
    QVERIFY(lamp(CTRL_LAMP_BIT0) && lamp(CTRL_LAMP_BIT1));
    SetInputLED(4);
    QVERIFY(lamp(CTRL_LAMP_BIT0) && lamp(CTRL_LAMP_BIT1));
    SetInputLED(0x10002); // only the low 16 bits count: 2
    QVERIFY(!lamp(CTRL_LAMP_BIT0) && lamp(CTRL_LAMP_BIT1));
    SetInputLED(1);
    QVERIFY(lamp(CTRL_LAMP_BIT0) && !lamp(CTRL_LAMP_BIT1));
    SetInputLED(65535);
    QVERIFY(lamp(CTRL_LAMP_BIT0) && !lamp(CTRL_LAMP_BIT1));
    SetInputLED(0);
    QVERIFY(!lamp(CTRL_LAMP_BIT0) && !lamp(CTRL_LAMP_BIT1));
}

QTEST_MAIN(ParameterBinding)
#include "tst_parameter_binding.moc"
