// The log below the status line: closed until the operator opens it; then its entries, a
// switch for the traffic view, and copying and saving it as text.
#pragma once

#include "LinkFeed.h"

#include <logpanel/logpanel.h>

#include <QCheckBox>
#include <QPlainTextEdit>
#include <QToolButton>

namespace logpanel {

class LogPanel : public QWidget {
    Q_OBJECT

public:
    LogPanel(linklog::LinkLog& log, LinkFeed& feed, SavePathAsker asker, int panel);

    QString text() const;

private:
    void setOpen(bool open);
    void show(const linklog::Entry& entry);
    void save();

    linklog::LinkLog& m_log;
    SavePathAsker m_asker;
    int m_panel;
    QToolButton* m_toggle;
    QWidget* m_body;
    QPlainTextEdit* m_entries;
};

} // namespace logpanel
