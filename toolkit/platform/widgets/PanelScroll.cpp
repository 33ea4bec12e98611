#include "PanelScroll.h"

#include <QEvent>
#include <QLayout>
#include <QScreen>
#include <QStyle>

namespace platform {

namespace {

// Sizes a window as it is first shown, once what the tools added to it is laid out as it will be.
class FitOnShow : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            fit(static_cast<QWidget*>(watched));
            watched->removeEventFilter(this);
            deleteLater();
        }
        return false;
    }

private:
    static void fit(QWidget* window) {
        const QScreen* screen = window->screen();
        if (!screen)
            return;
        // The layouts still hold what their widgets asked for before they were polished.
        for (QLayout* layout : window->findChildren<QLayout*>())
            layout->invalidate();
        for (PanelScroll* scroll : window->findChildren<PanelScroll*>())
            scroll->updateGeometry();
        if (window->layout())
            window->layout()->activate();
        // The title bar is the desktop's and not known before the window is on screen; the
        // style's own comes close.
        const int titleBar = window->style()->pixelMetric(QStyle::PM_TitleBarHeight);
        const QSize room = screen->availableGeometry().size() - QSize(0, titleBar);
        window->resize(window->size().expandedTo(window->sizeHint()).boundedTo(room));
    }
};

} // namespace

PanelScroll::PanelScroll(QWidget* parent) : QScrollArea(parent) {
    // Tab goes from control to control; it brings each into view as it reaches it.
    setFocusPolicy(Qt::NoFocus);
}

QSize PanelScroll::sizeHint() const {
    const int frame = 2 * frameWidth();
    return widget() ? widget()->sizeHint() + QSize(frame, frame) : QScrollArea::sizeHint();
}

void fitToScreen(QWidget* window) {
    window->installEventFilter(new FitOnShow(window));
}

} // namespace platform
