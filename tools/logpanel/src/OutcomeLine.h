// Under the status line, the newest outcome the log holds: what the last action did and, for a
// failure, why, with its time. A screen reader announces each one as a notification.
#pragma once

#include <linklog/LinkLog.h>

#include <QLabel>

namespace logpanel {

class OutcomeLine : public QLabel {
    Q_OBJECT

public:
    explicit OutcomeLine(linklog::LinkLog& log, QWidget* parent = nullptr);

    // The whole text, which the line may show cut short.
    QString outcome() const { return m_outcome; }

    // Puts the line under the status line, in the status line's place in its layout.
    static void placeUnder(QWidget* statusLine, OutcomeLine* line);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void take(const linklog::Entry& entry);
    void showCut();

    QString m_outcome;
    QString m_time;
};

} // namespace logpanel
