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
#include <QPointer>
#include <QPushButton>

#include <memory>

namespace logpanel {

namespace {

constexpr std::chrono::milliseconds kShowEvery{250};

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
    : m_log(log), m_panel(panel), m_toggle(new QToolButton(this)), m_body(new QWidget(this)),
      m_entries(new QPlainTextEdit(m_body)) {
    m_toggle->setText(QStringLiteral("Log"));
    m_toggle->setCheckable(true);
    m_toggle->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_toggle->setArrowType(Qt::RightArrow);
    m_toggle->setAutoRaise(true);
    m_toggle->setAccessibleName(QStringLiteral("Log"));
    m_toggle->setToolTip(QStringLiteral("Show or hide what happened on the link, with times"));
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
    m_entries->setMinimumHeight(140);
    auto* traffic = new QCheckBox(QStringLiteral("Traffic"), m_body);
    traffic->setAccessibleName(QStringLiteral("Traffic"));
    traffic->setToolTip(QStringLiteral("Log every frame sent and received, in hex"));
    auto* copy = new QPushButton(QStringLiteral("Copy"), m_body);
    copy->setAccessibleName(QStringLiteral("Copy log"));
    copy->setToolTip(QStringLiteral("Copy the whole log as text"));
    auto* save = new QPushButton(QStringLiteral("Save..."), m_body);
    save->setAccessibleName(QStringLiteral("Save log"));
    save->setToolTip(QStringLiteral("Save the whole log as a text file"));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(traffic);
    buttons->addStretch();
    buttons->addWidget(copy);
    buttons->addWidget(save);
    auto* bodyLayout = new QVBoxLayout(m_body);
    bodyLayout->setContentsMargins(0, 0, 0, 0);
    bodyLayout->addWidget(m_entries);
    bodyLayout->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_toggle, 0, Qt::AlignLeft);
    layout->addWidget(m_body);
    m_body->hide();

    connect(m_toggle, &QToolButton::toggled, this, &LogPanel::setOpen);
    connect(traffic, &QCheckBox::toggled, this, [&feed](bool on) { feed.setTraffic(on); });
    connect(copy, &QPushButton::clicked, this,
            [this] { QApplication::clipboard()->setText(text()); });
    connect(save, &QPushButton::clicked, this, &LogPanel::save);
    connect(&log, &linklog::LinkLog::appended, this, &LogPanel::show);
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

void LogPanel::followInTabOrder(QWidget* before) {
    QWidget* next = m_toggle;
    QWidget::setTabOrder(before, next);
    for (QWidget* widget : m_body->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        QWidget::setTabOrder(next, widget);
        next = widget;
    }
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
    m_body->setVisible(open);
    // Opened at its newest line, which it then follows until the operator scrolls up.
    m_entries->moveCursor(QTextCursor::End);
}

void LogPanel::show(const linklog::Entry& entry) {
    if (!m_body->isVisible())
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

void installLogPanel(linklog::LinkLog& log) {
    platform::onPanelLoaded([&log](int panel, QWidget* widget) {
        QWidget* status = platform::controlWidget(panel, CTRL_STATUS);
        QWidget* group = status ? status->parentWidget() : nullptr;
        QBoxLayout* layout = group ? layoutHolding(widget->layout(), group) : nullptr;
        if (!layout)
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
        layout->insertWidget(layout->indexOf(group) + 1, logPanel);
        // Where it stands: after the link's controls (a tool that puts one beside the port
        // drop-down later puts it before the log), before the parameters.
        logPanel->followInTabOrder(platform::controlWidget(panel, CTRL_PORT));
        OutcomeLine::placeUnder(status, new OutcomeLine(log, group));
    });
}

void showHeldLines() {
    for (QWidget* widget : QApplication::allWidgets())
        if (auto* panel = qobject_cast<LogPanel*>(widget))
            panel->showPending();
}

} // namespace logpanel
