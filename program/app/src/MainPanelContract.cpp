// The callbacks the panel file may name, and the controls the program relies on.
#include <app/Nalvo-ZUridozU10.h>

#include <platform/ui.h>
#include <shared/ControlIds.h>

#include <array>

namespace {

const std::array kCallbacks{
    CallbackEntry{"CC_PANEL", nullptr, CC_PANEL},
    CallbackEntry{"CC_DropDEvalmode", CC_DropDEvalmode, nullptr},
    CallbackEntry{"CC_DropHWMode", CC_DropHWMode, nullptr},
    CallbackEntry{"CC_DropDCom", CC_DropDCom, nullptr},
    CallbackEntry{"CC_BTNGet", CC_BTNGet, nullptr},
    CallbackEntry{"CC_BTNSend", CC_BTNSend, nullptr},
    CallbackEntry{"CC_RBTRam", CC_RBTRam, nullptr},
    CallbackEntry{"CC_RBTEeprom", CC_RBTEeprom, nullptr},
    CallbackEntry{"CC_RBTFile", CC_RBTFile, nullptr},
    CallbackEntry{"CC_BTNRun", CC_BTNRun, nullptr},
    CallbackEntry{"CC_BTNStop", CC_BTNStop, nullptr},
    CallbackEntry{"CC_DropSignaltype", CC_DropSignaltype, nullptr},
    CallbackEntry{"CC_BTNTeach", CC_BTNTeach, nullptr},
    CallbackEntry{"CC_ButtonTeach", CC_ButtonTeach, nullptr},
};

const std::array kControls{
    CtrlRequirement{CTRL_TEACH, CtrlKind::CommandButton, "CC_BTNTeach"},
    CtrlRequirement{CTRL_STOP, CtrlKind::CommandButton, "CC_BTNStop"},
    CtrlRequirement{CTRL_BUTTON_TEACH, CtrlKind::CommandButton, "CC_ButtonTeach"},
    CtrlRequirement{CTRL_RUN, CtrlKind::CommandButton, "CC_BTNRun"},
    CtrlRequirement{CTRL_SIGNAL_TYPE, CtrlKind::Ring, "CC_DropSignaltype"},
    CtrlRequirement{CTRL_PORT, CtrlKind::Ring, "CC_DropDCom"},
    CtrlRequirement{CTRL_SEND, CtrlKind::CommandButton, "CC_BTNSend"},
    CtrlRequirement{CTRL_GET, CtrlKind::CommandButton, "CC_BTNGet"},
    CtrlRequirement{CTRL_FILE, CtrlKind::RadioButton, "CC_RBTFile"},
    CtrlRequirement{CTRL_EEPROM, CtrlKind::RadioButton, "CC_RBTEeprom"},
    CtrlRequirement{CTRL_RAM, CtrlKind::RadioButton, "CC_RBTRam"},
    CtrlRequirement{CTRL_HW_MODE, CtrlKind::Ring, "CC_DropHWMode"},
    CtrlRequirement{CTRL_POLARITY, CtrlKind::Numeric, nullptr},
    CtrlRequirement{CTRL_AVERAGE, CtrlKind::Numeric, nullptr},
    CtrlRequirement{CTRL_ANA_MODE, CtrlKind::Numeric, nullptr},
    CtrlRequirement{CTRL_EVAL_MODE, CtrlKind::Ring, "CC_DropDEvalmode"},
    CtrlRequirement{CTRL_REPORTED_TOLERANCE, CtrlKind::NumericDisplay, nullptr},
    CtrlRequirement{CTRL_RAW_4, CtrlKind::NumericDisplay, nullptr},
    CtrlRequirement{CTRL_RAW_3, CtrlKind::NumericDisplay, nullptr},
    CtrlRequirement{CTRL_NORMALISED, CtrlKind::NumericDisplay, nullptr},
    CtrlRequirement{CTRL_RAW_1, CtrlKind::NumericDisplay, nullptr},
    CtrlRequirement{CTRL_RAW_2, CtrlKind::NumericDisplay, nullptr},
    CtrlRequirement{CTRL_STATUS, CtrlKind::TextMessage, nullptr},
    CtrlRequirement{CTRL_RUN_HINT, CtrlKind::TextMessage, nullptr},
    CtrlRequirement{CTRL_POWER1, CtrlKind::Numeric, nullptr},
    CtrlRequirement{CTRL_POWER0, CtrlKind::Numeric, nullptr},
    CtrlRequirement{CTRL_NORM_CHART, CtrlKind::StripChart, nullptr},
    CtrlRequirement{CTRL_RAW_CHART, CtrlKind::StripChart, nullptr},
    CtrlRequirement{CTRL_LAMP_BIT1, CtrlKind::Lamp, nullptr},
    CtrlRequirement{CTRL_LAMP_BIT0, CtrlKind::Lamp, nullptr},
    CtrlRequirement{CTRL_TEACH_THD, CtrlKind::Numeric, nullptr},
    CtrlRequirement{CTRL_TEACH_CD, CtrlKind::Numeric, nullptr},
    CtrlRequirement{CTRL_TEACH_AB, CtrlKind::Numeric, nullptr},
    CtrlRequirement{CTRL_TOLERANCE, CtrlKind::Numeric, nullptr},
    CtrlRequirement{CTRL_REFERENCE, CtrlKind::Numeric, nullptr},
};

} // namespace

void RegisterMainPanel() {
    RegisterCallbacks(kCallbacks);
    RequireControls(kControls);
}
