// The log: a switch beside the status line, and below the live view, once the operator opens it,
// its entries, a switch for the traffic view, and copying and saving it as text.
#pragma once

#include "LinkFeed.h"

#include <logpanel/logpanel.h>

#include <QCheckBox>
#include <QPlainTextEdit>
#include <QTimer>
#include <QToolButton>

namespace logpanel {

class LogPanel : public QWidget {
    Q_OBJECT

public:
    LogPanel(linklog::LinkLog& log, LinkFeed& feed, int panel);

    QString text() const;
    // Opens and closes the log; placed by whoever places the log.
    QToolButton* toggle() const { return m_toggle; }
    // The lines held back, shown now rather than when their time comes.
    void showPending();

private:
    void setOpen(bool open);
    void takeRoomFromAbove();
    // Tab reaches the open log's controls after those of what stands above it.
    void followInTabOrder();
    void showEntry(const linklog::Entry& entry);
    void save();
    void saveTo(const QString& path);

    linklog::LinkLog& m_log;
    int m_panel;
    QToolButton* m_toggle;
    QPlainTextEdit* m_entries;
    // Lines not shown yet: a live view's traffic is shown a few times a second, not a frame
    // at a time, since each showing lays out and paints the text.
    QStringList m_pending;
    QTimer m_showTimer;
};

} // namespace logpanel
