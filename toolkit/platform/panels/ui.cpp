// The user-interface operations of the seam, on Qt Widgets.
#include <platform/ui.h>
#include <platform/util.h>

#include "ControlValues.h"
#include "PanelLoader.h"
#include "PanelScroll.h"
#include "PanelsState.h"
#include "ProjectDir.h"
#include "StripChart.h"
#include "TextHooks.h"
#include "TextPlacement.h"

#include <QApplication>
#include <QDir>
#include <QLabel>

#include <algorithm>

namespace {

constexpr int kBadHandle = -1;
constexpr int kBadArgument = -2;

// The loaded panels, or nullptr while the toolkit is not running.
platform::PanelRegistry* panels() {
    platform::PanelsState* part = platform::PanelsState::current();
    return part ? &part->panels() : nullptr;
}

platform::Panel* findPanel(int panel) {
    platform::PanelRegistry* registry = panels();
    return registry ? registry->panel(panel) : nullptr;
}

platform::Control* findControl(int panel, int control) {
    platform::PanelRegistry* registry = panels();
    return registry ? registry->control(panel, control) : nullptr;
}

// The program sets a value or a text: the outcome of a wait for a reply, when it waited.
void programShows() {
    if (platform::Toolkit* toolkit = platform::Toolkit::current())
        toolkit->replyWait().programShows();
}

bool setTextAttribute(QWidget* widget, int attribute, int value) {
    QFont font = widget->font();
    switch (attribute) {
    case kAttrTextBold:
        font.setBold(value != 0);
        break;
    case kAttrTextPointSize:
        if (value > 0)
            font.setPointSize(value);
        break;
    case kAttrTextColor: {
        QPalette palette = widget->palette();
        palette.setColor(QPalette::WindowText, QColor::fromRgb(static_cast<QRgb>(value)));
        widget->setPalette(palette);
        return true;
    }
    default:
        return false;
    }
    widget->setFont(font);
    platform::fitText(widget);
    return true;
}

bool setChartAttribute(platform::StripChart* chart, int attribute, int value) {
    switch (attribute) {
    case kAttrNumTraces:
        chart->setNumTraces(value);
        return true;
    case kAttrPointsPerScreen:
        chart->setPointsPerScreen(value);
        return true;
    case kAttrScrollMode:
        chart->setNewestAtRight(value == kScrollContinuous);
        return true;
    default:
        return false;
    }
}

} // namespace

void RegisterCallbacks(std::span<const CallbackEntry> table) {
    if (platform::PanelsState* part = platform::PanelsState::current())
        part->contract().setCallbacks(table);
}

void RequireControls(std::span<const CtrlRequirement> controls) {
    if (platform::PanelsState* part = platform::PanelsState::current())
        part->contract().setRequirements(controls);
}

int LoadPanel(int, const char* fileName, int panelResourceId) {
    if (!fileName || !platform::PanelsState::current())
        return platform::kPanelFileMissing;
    QString path = QString::fromLocal8Bit(fileName);
    if (QDir::isRelativePath(path))
        path = platform::dataFilePath(path);
    return platform::loadPanelFile(path, panelResourceId);
}

int DisplayPanel(int panel) {
    platform::Panel* shown = findPanel(panel);
    if (!shown)
        return kBadHandle;
    if (!shown->opened)
        platform::fitToScreen(shown->widget.get());
    shown->opened = true;
    shown->widget->show();
    return 0;
}

int DiscardPanel(int panel) {
    if (!findPanel(panel))
        return kBadHandle;
    panels()->remove(panel);
    return 0;
}

int RunUserInterface() {
    platform::Toolkit* toolkit = platform::Toolkit::current();
    return toolkit ? toolkit->dispatcher().run() : kBadHandle;
}

int QuitUserInterface(int returnCode) {
    if (platform::Toolkit* toolkit = platform::Toolkit::current())
        toolkit->dispatcher().requestQuit(returnCode);
    return 0;
}

int ProcessSystemEvents() {
    if (platform::Toolkit* toolkit = platform::Toolkit::current()) {
        toolkit->replyWait().polled();
        toolkit->dispatcher().processPending();
    }
    return 0;
}

int GetCtrlVal(int panel, int control, int* value) {
    const platform::Control* found = findControl(panel, control);
    if (!found || !value)
        return kBadHandle;
    const auto current = platform::controlValue(*found);
    if (!current)
        return kBadArgument;
    *value = static_cast<int>(*current);
    return 0;
}

int GetCtrlVal(int panel, int control, unsigned short* value) {
    int full = 0;
    const int result = GetCtrlVal(panel, control, &full);
    if (result == 0)
        *value = static_cast<unsigned short>(full);
    return result;
}

int SetCtrlVal(int panel, int control, int value) {
    programShows();
    platform::Control* found = findControl(panel, control);
    if (!found)
        return kBadHandle;
    if (!platform::setControlValue(*found, value))
        return kBadArgument;
    platform::PanelsState::current()->followHooks.programSetValue(panel, control);
    return 0;
}

int SetCtrlVal(int panel, int control, const char* value) {
    programShows();
    platform::Control* found = findControl(panel, control);
    if (!found || !value)
        return kBadHandle;
    // One byte is one character: a sensor's text shows as it came, whatever the locale.
    const QString text = QString::fromLatin1(value);
    if (!platform::setControlText(*found, text))
        return kBadArgument;
    platform::notifyTextSet(panel, control, text);
    return 0;
}

int SetCtrlAttribute(int panel, int control, int attribute, int value) {
    platform::Control* found = findControl(panel, control);
    if (!found)
        return kBadHandle;
    QWidget* widget = found->widget;
    switch (attribute) {
    case kAttrDimmed:
        widget->setEnabled(value == 0);
        return 0;
    case kAttrVisible:
        widget->setVisible(value != 0);
        return 0;
    default:
        break;
    }
    if (auto* chart = qobject_cast<platform::StripChart*>(widget))
        return setChartAttribute(chart, attribute, value) ? 0 : kBadArgument;
    return setTextAttribute(widget, attribute, value) ? 0 : kBadArgument;
}

int SetCtrlAttribute(int panel, int control, int attribute, const char* value) {
    platform::Control* found = findControl(panel, control);
    if (!found || !value || attribute != kAttrTextFont)
        return kBadArgument;
    QWidget* widget = found->widget;
    QFont font = QString(value) == QLatin1String(kAppFont) ? QApplication::font()
                                                           : QFont(QString::fromUtf8(value));
    font.setBold(widget->font().bold());
    if (widget->font().pixelSize() > 0)
        font.setPixelSize(widget->font().pixelSize());
    else
        font.setPointSizeF(widget->font().pointSizeF());
    widget->setFont(font);
    platform::fitText(widget);
    return 0;
}

int NewCtrl(int panel, int controlStyle, const char* label, int top, int left) {
    platform::Panel* owner = findPanel(panel);
    if (!owner)
        return kBadHandle;
    if (controlStyle != kCtrlTextMessage)
        return kBadArgument;
    auto* text = new QLabel(QString::fromLatin1(label ? label : ""), owner->widget.get());
    text->setTextFormat(Qt::PlainText);
    platform::placeText(text, QPoint(left, top));
    text->show();
    const int id = panels()->freeControlId(panel);
    text->setProperty("ctrlId", id);
    owner->controls.emplace(id, platform::Control{text, CtrlKind::TextMessage, nullptr});
    return id;
}

int PlotStripChart(int panel, int control, const void* array, int numberOfPoints, int startingIndex,
                   int skipCount, int dataType) {
    platform::Control* found = findControl(panel, control);
    auto* chart = found ? qobject_cast<platform::StripChart*>(found->widget) : nullptr;
    if (!chart)
        return kBadHandle;
    if (!array || numberOfPoints < 0 || dataType != kTypeDouble || startingIndex < 0 ||
        skipCount != 0)
        return kBadArgument;
    const double* values = static_cast<const double*>(array) + startingIndex;
    chart->append(values, numberOfPoints);
    const int newest = std::min(chart->numTraces(), numberOfPoints);
    for (const platform::ChartHook& hook : platform::PanelsState::current()->chartHooks)
        hook(panel, control, {values + numberOfPoints - newest, static_cast<size_t>(newest)});
    return 0;
}
