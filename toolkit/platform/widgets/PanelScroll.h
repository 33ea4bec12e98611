// The part of a panel that scrolls when its window is smaller than the panel: the window may
// be shrunk to fit a small screen, yet it opens as large as the whole panel where there is room.
#pragma once

#include <QScrollArea>

namespace platform {

class PanelScroll : public QScrollArea {
    Q_OBJECT

public:
    explicit PanelScroll(QWidget* parent = nullptr);

    // The whole of what it holds, where QScrollArea would offer a few dozen lines of text.
    QSize sizeHint() const override;
};

// Opens a panel's window, when it is first shown, as large as its panel wants within the room
// its screen leaves.
void fitToScreen(QWidget* window);

} // namespace platform
