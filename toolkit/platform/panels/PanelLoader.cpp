#include "PanelLoader.h"

#include "AccessibleActions.h"
#include "AccessibleControls.h"
#include "ButtonShortcuts.h"
#include "ControlEvents.h"
#include "ControlValues.h"
#include "InputGuard.h"
#include "Lamp.h"
#include "NumericDisplay.h"
#include "NumericField.h"
#include "PanelScroll.h"
#include "PanelsState.h"
#include "RadioGroupKeys.h"
#include "StripChart.h"

#include <QFile>
#include <QtUiTools/QUiLoader>

namespace platform {

namespace {

class WidgetFactory : public QUiLoader {
public:
    QWidget* createWidget(const QString& className, QWidget* parent, const QString& name) override {
        QWidget* widget = nullptr;
        if (className == QLatin1String("Lamp"))
            widget = new Lamp(parent);
        else if (className == QLatin1String("QLCDNumber"))
            widget = new NumericDisplay(parent);
        else if (className == QLatin1String("QSpinBox"))
            widget = new NumericField(parent);
        else if (className == QLatin1String("StripChart"))
            widget = new StripChart(parent);
        else if (className == QLatin1String("QScrollArea"))
            widget = new PanelScroll(parent);
        else
            return QUiLoader::createWidget(className, parent, name);
        widget->setObjectName(name);
        return widget;
    }
};

// The loader reports problems of the file through Qt's log; a file that cannot be loaded is
// the caller's to report, so the loader stays quiet while it reads.
class QuietLog {
public:
    QuietLog() : m_previous(qInstallMessageHandler(ignore)) {}
    ~QuietLog() { qInstallMessageHandler(m_previous); }
    QuietLog(const QuietLog&) = delete;
    QuietLog& operator=(const QuietLog&) = delete;

private:
    static void ignore(QtMsgType, const QMessageLogContext&, const QString&) {}
    QtMessageHandler m_previous;
};

bool bindControls(Panel& panel, const PanelContract& contract) {
    for (QWidget* widget : panel.widget->findChildren<QWidget*>()) {
        const QVariant id = widget->property("ctrlId");
        if (!id.isValid())
            continue;
        const auto kind = kindOf(widget);
        if (!kind || panel.controls.count(id.toInt()))
            return false;
        Control control{widget, *kind, nullptr};
        const QString name = widget->property("callback").toString();
        if (!name.isEmpty()) {
            const CallbackEntry* entry = contract.callback(name);
            if (!entry || !entry->control)
                return false;
            control.callback = entry->control;
        }
        prepareControlValue(control);
        panel.controls.emplace(id.toInt(), control);
    }
    const QString panelCallback = panel.widget->property("callback").toString();
    if (!panelCallback.isEmpty()) {
        const CallbackEntry* entry = contract.callback(panelCallback);
        if (!entry || !entry->panel)
            return false;
        panel.callback = entry->panel;
    }
    return true;
}

bool meetsRequirements(const Panel& panel, const PanelContract& contract) {
    for (const CtrlRequirement& required : contract.requirements()) {
        const auto it = panel.controls.find(required.id);
        if (it == panel.controls.end() || it->second.kind != required.kind)
            return false;
        const QString bound = it->second.widget->property("callback").toString();
        if (bound != QLatin1String(required.callback ? required.callback : ""))
            return false;
    }
    return true;
}

// The tools hear of every typed number a field has limited.
void reportLimitedValues(int handle, const Panel& panel) {
    for (const auto& [id, control] : panel.controls)
        if (auto* field = qobject_cast<NumericField*>(control.widget))
            QObject::connect(field, &NumericField::limited, field,
                             [handle, id = id](const QString& text) {
                                 for (const LimitHook& hook : PanelsState::current()->limitHooks)
                                     hook(handle, id, text);
                             });
}

} // namespace

int loadPanelFile(const QString& path, int resourceId) {
    if (resourceId != 1)
        return kPanelNoSuchResource;
    QFile file(path);
    if (!file.exists())
        return kPanelFileMissing;
    if (!file.open(QIODevice::ReadOnly))
        return kPanelFileUnreadable;

    installAccessibleControls();
    installAccessibleActions();
    auto panel = std::make_unique<Panel>();
    {
        QuietLog quiet;
        WidgetFactory factory;
        panel->widget.reset(factory.load(&file));
    }
    if (!panel->widget)
        return kPanelFileUnreadable;
    PanelsState& part = *PanelsState::current();
    if (!bindControls(*panel, part.contract()) || !meetsRequirements(*panel, part.contract()))
        return kPanelBreaksContract;

    Panel& stored = *panel;
    const int handle = part.panels().add(std::move(panel));
    connectControlEvents(handle, stored);
    reportLimitedValues(handle, stored);
    guardPanelInput(stored.widget.get());
    addPanelShortcuts(stored.widget.get());
    connectRadioGroupKeys(stored.widget.get());
    for (const PanelHook& hook : part.panelHooks)
        hook(handle, stored.widget.get());
    return handle;
}

} // namespace platform
