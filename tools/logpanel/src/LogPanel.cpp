#include "LogPanel.h"

#include "OutcomeLine.h"

#include <door/door.h>
#include <platform/attach.h>
#include <platform/ui.h>
#include <safefile/WholeFile.h>

#include <QApplication>
#include <QBoxLayout>
#include <QClipboard>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSplitter>

#include <algorithm>
#include <memory>

namespace logpanel {

namespace {

// New lines are shown once a second, not a frame at a time: each showing costs the log a paint
// and, under X, a flush with its round trips, which made the traffic view dearer than the live
// view itself (about 0.9 points of a core at two showings a second, 0.1 at one).
constexpr std::chrono::milliseconds kShowEvery{1000};
// Open, the log shows at least this many lines.
constexpr int kLeastLines = 3;

QString lineOf(const linklog::Entry& entry) {
    return entry.time.toLocalTime().toString(QStringLiteral("HH:mm:ss.zzz  ")) + entry.text;
}

// The box layout below the given one holds the widget directly.
QBoxLayout* layoutHolding(QLayout* layout, QWidget* widget) {
    if (!layout)
        return nullptr;
    if (layout->indexOf(widget) >= 0)
        return qobject_cast<QBoxLayout*>(layout);
    for (int i = 0; i < layout->count(); ++i)
        if (QBoxLayout* found = layoutHolding(layout->itemAt(i)->layout(), widget))
            return found;
    return nullptr;
}

} // namespace

LogPanel::LogPanel(linklog::LinkLog& log, LinkFeed& feed, int panel)
    : m_log(log), m_panel(panel), m_toggle(new QToolButton(this)),
      m_entries(new QPlainTextEdit(this)) {
    m_toggle->setText(QStringLiteral("Log"));
    m_toggle->setCheckable(true);
    m_toggle->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_toggle->setArrowType(Qt::RightArrow);
    m_toggle->setAutoRaise(true);
    m_toggle->setAccessibleName(QStringLiteral("Log"));
    m_toggle->setToolTip(
        QStringLiteral("Show or hide what happened on the link, with times (Ctrl+L)"));
    m_toggle->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    m_entries->setReadOnly(true);
    // Also turns the document's undo off, which would keep every line it drops.
    m_entries->setMaximumBlockCount(static_cast<int>(log.capacity()));
    m_entries->setLineWrapMode(QPlainTextEdit::NoWrap);
    // The log's lines are plain Latin text: laid out and painted without shaping, the traffic
    // view takes about 30 % fewer instructions.
    QFont plain = m_entries->font();
    plain.setStyleStrategy(QFont::PreferNoShaping);
    m_entries->setFont(plain);
    m_entries->setAccessibleName(QStringLiteral("Log entries"));
    m_entries->setMinimumHeight(kLeastLines * m_entries->fontMetrics().lineSpacing() +
                                2 * m_entries->frameWidth() +
                                2 * static_cast<int>(m_entries->document()->documentMargin()));
    auto* traffic = new QCheckBox(QStringLiteral("Traffic"), this);
    traffic->setAccessibleName(QStringLiteral("Traffic"));
    traffic->setToolTip(QStringLiteral("Log every frame sent and received, in hex"));
    auto* copy = new QPushButton(QStringLiteral("Copy"), this);
    copy->setAccessibleName(QStringLiteral("Copy log"));
    copy->setToolTip(QStringLiteral("Copy the whole log as text"));
    auto* save = new QPushButton(QStringLiteral("Save..."), this);
    save->setAccessibleName(QStringLiteral("Save log"));
    save->setToolTip(QStringLiteral("Save the whole log as a text file"));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(traffic);
    buttons->addStretch();
    buttons->addWidget(copy);
    buttons->addWidget(save);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_entries, 1);
    layout->addLayout(buttons);
    hide();

    connect(m_toggle, &QToolButton::toggled, this, &LogPanel::setOpen);
    connect(traffic, &QCheckBox::toggled, this, [&feed](bool on) { feed.setTraffic(on); });
    connect(copy, &QPushButton::clicked, this,
            [this] { QApplication::clipboard()->setText(text()); });
    connect(save, &QPushButton::clicked, this, &LogPanel::save);
    connect(&log, &linklog::LinkLog::appended, this, &LogPanel::showEntry);
    m_showTimer.setSingleShot(true);
    m_showTimer.setInterval(kShowEvery);
    connect(&m_showTimer, &QTimer::timeout, this, &LogPanel::showPending);
}

QString LogPanel::text() const {
    QStringList lines;
    for (const linklog::Entry& entry : m_log.entries())
        lines << lineOf(entry);
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

void LogPanel::setOpen(bool open) {
    m_toggle->setArrowType(open ? Qt::DownArrow : Qt::RightArrow);
    // A closed log shows nothing and costs nothing: its text is made when it opens.
    m_pending.clear();
    m_showTimer.stop();
    if (open)
        m_entries->setPlainText(text().chopped(1));
    else
        m_entries->clear();
    setVisible(open);
    if (open) {
        takeRoomFromAbove();
        followInTabOrder();
    }
    // Opened at its newest line, which it then follows until the operator scrolls up.
    m_entries->moveCursor(QTextCursor::End);
}

void LogPanel::takeRoomFromAbove() {
    auto* splitter = qobject_cast<QSplitter*>(parentWidget());
    if (!splitter || splitter->count() != 2)
        return;
    const QList<int> sizes = splitter->sizes();
    const int total = sizes[0] + sizes[1];
    const int aboveLeast = splitter->widget(0)->minimumSizeHint().height();
    const int wanted =
        std::max(minimumSizeHint().height(), std::min(total / 3, total - aboveLeast));
    splitter->setSizes({total - wanted, wanted});
}

void LogPanel::followInTabOrder() {
    auto* splitter = qobject_cast<QSplitter*>(parentWidget());
    QWidget* above = splitter ? splitter->widget(0) : nullptr;
    // The last control of what stands above the log, in the window's Tab order.
    QWidget* next = nullptr;
    for (QWidget* widget = above ? above->nextInFocusChain() : nullptr; widget && widget != above;
         widget = widget->nextInFocusChain())
        if (above->isAncestorOf(widget) && (widget->focusPolicy() & Qt::TabFocus))
            next = widget;
    if (!next)
        return;
    for (QWidget* widget : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        QWidget::setTabOrder(next, widget);
        next = widget;
    }
}

void LogPanel::showEntry(const linklog::Entry& entry) {
    if (!isVisible())
        return;
    m_pending << lineOf(entry);
    if (!m_showTimer.isActive())
        m_showTimer.start();
}

void LogPanel::showPending() {
    m_showTimer.stop();
    if (m_pending.isEmpty())
        return;
    m_entries->appendPlainText(m_pending.join(QLatin1Char('\n')));
    m_pending.clear();
}

void LogPanel::save() {
    // The dialog lets a live view go on meanwhile.
    platform::chooseFileToSave(window(), QFile::decodeName(door::programDirectory()),
                               QStringLiteral("link-log.txt"), QStringLiteral("Text files (*.txt)"),
                               QStringLiteral("Save the log"),
                               [self = QPointer(this)](const QString& path) {
                                   if (self && !path.isEmpty())
                                       self->saveTo(path);
                               });
}

void LogPanel::saveTo(const QString& path) {
    QString why;
    if (safefile::saveWhole(path, text().toUtf8(), why))
        return;
    const QByteArray message = QStringLiteral("Log not saved: %1: %2").arg(path, why).toLatin1();
    SetCtrlVal(m_panel, CTRL_STATUS, message.constData());
}

// Below the live view, in its column: opened, the log takes room from the chart rather than
// from the window.
bool placeBelow(QWidget* above, LogPanel* log) {
    QBoxLayout* column = layoutHolding(above->parentWidget()->layout(), above);
    if (!column)
        return false;
    const int at = column->indexOf(above);
    const int stretch = column->stretch(at);
    column->removeWidget(above);
    auto* splitter = new QSplitter(Qt::Vertical);
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(above);
    splitter->addWidget(log);
    splitter->setStretchFactor(0, 1);
    column->insertWidget(at, splitter, stretch);
    return true;
}

// The log's switch stands on the link's row, just before the status line and its label.
void placeToggle(QWidget* status, QWidget* toggle) {
    auto* row = qobject_cast<QBoxLayout*>(status->parentWidget()->layout());
    int at = row ? row->indexOf(status) : -1;
    if (at < 0)
        return;
    if (at > 0 && qobject_cast<QLabel*>(row->itemAt(at - 1)->widget()))
        --at;
    row->insertWidget(at, toggle);
}

void installLogPanel(linklog::LinkLog& log) {
    platform::onPanelLoaded([&log](int panel, QWidget*) {
        QWidget* status = platform::controlWidget(panel, CTRL_STATUS);
        QWidget* chart = platform::controlWidget(panel, CTRL_RAW_CHART);
        QWidget* live = chart ? chart->parentWidget() : nullptr;
        if (!status || !live)
            return;
        // Lives as long as the seam's hooks that call it.
        auto feed = std::make_shared<LinkFeed>(log);
        platform::onPortEvent(
            [feed](const platform::PortEvent& event) { feed->onPortEvent(event); });
        platform::onTextSet([feed, panel](int textPanel, int control, const QString& text) {
            if (textPanel == panel && control == CTRL_STATUS)
                feed->onStatusText(text);
        });
        // A typed number that its field limited is said on the status line, and so in the log,
        // as every status text is.
        platform::onValueLimited([panel](int limitedPanel, int, const QString& text) {
            if (limitedPanel == panel)
                SetCtrlVal(panel, CTRL_STATUS, text.toLatin1().constData());
        });
        auto* logPanel = new LogPanel(log, *feed, panel);
        if (!placeBelow(live, logPanel))
            return;
        placeToggle(status, logPanel->toggle());
        // Its switch comes right after the link's controls (a tool that puts one beside the port
        // drop-down later puts it before the switch).
        QWidget::setTabOrder(platform::controlWidget(panel, CTRL_PORT), logPanel->toggle());
        OutcomeLine::placeUnder(status, new OutcomeLine(log, status->parentWidget()));
    });
}

void showHeldLines() {
    for (QWidget* widget : QApplication::allWidgets())
        if (auto* panel = qobject_cast<LogPanel*>(widget))
            panel->showPending();
}

} // namespace logpanel
