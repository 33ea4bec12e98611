// The loaded panels and their controls, by handle and id.
#pragma once

#include <platform/ui.h>

#include <QPointer>
#include <QWidget>

#include <map>
#include <memory>

namespace platform {

struct Control {
    QPointer<QWidget> widget;
    CtrlKind kind;
    CtrlCallbackPtr callback = nullptr;
};

struct Panel {
    std::unique_ptr<QWidget> widget;
    PanelCallbackPtr callback = nullptr;
    std::map<int, Control> controls;
    // Shown once: its window was then sized to its screen.
    bool opened = false;
};

class PanelRegistry {
public:
    int add(std::unique_ptr<Panel> panel);
    void remove(int handle);
    Panel* panel(int handle);
    Control* control(int panel, int id);
    // An id no control of the panel carries yet.
    int freeControlId(int panel);

private:
    std::map<int, std::unique_ptr<Panel>> m_panels;
    int m_nextHandle = 1;
};

} // namespace platform
