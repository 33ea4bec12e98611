// User-interface operations of the toolkit seam: panels, controls, events and strip charts.
// Callers never see the widget library behind it; every call names its panel by handle and
// its controls by the ids the panel file gives them.
#pragma once

#include <platform/util.h>

#include <span>

// Event codes handed to callbacks.
constexpr int kEventCommit = 1;
constexpr int kEventValueChanged = 2;
constexpr int kEventLeftClick = 3;
constexpr int kEventGotFocus = 8;
constexpr int kEventLostFocus = 9;
constexpr int kEventClose = 11;

// Control attributes for SetCtrlAttribute.
constexpr int kAttrDimmed = 500;
constexpr int kAttrVisible = 530;
constexpr int kAttrTextBold = 680;
constexpr int kAttrTextFont = 682;
constexpr int kAttrTextPointSize = 686;
constexpr int kAttrTextColor = 690;
constexpr int kAttrScrollMode = 1088;
constexpr int kAttrNumTraces = 1170;
constexpr int kAttrPointsPerScreen = 1171;

// Scroll mode of a strip chart with the newest point at the right edge; any other mode
// starts the points at the left.
constexpr int kScrollContinuous = 1;

// The toolkit's application font, for kAttrTextFont.
constexpr const char* kAppFont = "<application font>";

// Control style for NewCtrl: a text message.
constexpr int kCtrlTextMessage = 160;

using CtrlCallbackPtr = int (*)(int panel, int control, int event, void* callbackData,
                                int eventData1, int eventData2);
using PanelCallbackPtr = int (*)(int panel, int event, void* callbackData, int eventData1,
                                 int eventData2);

// One entry of the name -> function table by which LoadPanel binds the callbacks that the
// panel file names. Exactly one of the two pointers is set.
struct CallbackEntry {
    const char* name;
    CtrlCallbackPtr control;
    PanelCallbackPtr panel;
};

// What a control of the panel must be, as far as the program relies on it.
enum class CtrlKind {
    CommandButton, // QPushButton
    Ring,          // drop-down with numeric item values
    RadioButton,   // independent toggle, value 0 or 1
    Numeric,       // value control, unsigned 16-bit
    NumericDisplay,
    TextMessage, // a text; the status line among them
    Lamp,
    StripChart,
};

struct CtrlRequirement {
    int id;
    CtrlKind kind;
    const char* callback; // nullptr: the control has no callback
};

// The contract the panel file must meet: LoadPanel fails when a control is missing or of
// another kind, or when the file names a callback that the table lacks.
void RegisterCallbacks(std::span<const CallbackEntry> table);
void RequireControls(std::span<const CtrlRequirement> controls);

int LoadPanel(int parentPanel, const char* fileName, int panelResourceId);
int DisplayPanel(int panel);
int DiscardPanel(int panel);

int RunUserInterface();
int QuitUserInterface(int returnCode);
int ProcessSystemEvents();

int GetCtrlVal(int panel, int control, int* value);
int GetCtrlVal(int panel, int control, unsigned short* value);
int SetCtrlVal(int panel, int control, int value);
int SetCtrlVal(int panel, int control, const char* value);
int SetCtrlAttribute(int panel, int control, int attribute, int value);
int SetCtrlAttribute(int panel, int control, int attribute, const char* value);

int NewCtrl(int panel, int controlStyle, const char* label, int top, int left);

int PlotStripChart(int panel, int control, const void* array, int numberOfPoints, int startingIndex,
                   int skipCount, int dataType);
