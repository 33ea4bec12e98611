// The log below the status line: closed until the operator opens it; then its entries, a
// switch for the traffic view, and copying and saving it as text.
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
    // The lines held back, shown now rather than when their time comes.
    void showPending();
    // Tab reaches the log right after `before`: its toggle, then what it shows when open.
    void followInTabOrder(QWidget* before);

private:
    void setOpen(bool open);
    void show(const linklog::Entry& entry);
    void save();
    void saveTo(const QString& path);

    linklog::LinkLog& m_log;
    int m_panel;
    QToolButton* m_toggle;
    QWidget* m_body;
    QPlainTextEdit* m_entries;
    // Lines not shown yet: a live view's traffic is shown a few times a second, not a frame
    // at a time, since each showing lays out and paints the text.
    QStringList m_pending;
    QTimer m_showTimer;
};

} // namespace logpanel
