// What happened on the link, time-stamped and bounded: status texts with their cause,
// notes of the service tools, and (when asked for) the frames on the wire.
#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>

#include <cstddef>
#include <deque>

namespace linklog {

enum class EntryKind { Status, Note, Error, Sent, Received };

struct Entry {
    QDateTime time;
    EntryKind kind;
    QString text;
};

class LinkLog : public QObject {
    Q_OBJECT
public:
    // Enough for a long live view with traffic shown, small enough to stay a few megabytes.
    static constexpr std::size_t kDefaultCapacity = 10000;

    explicit LinkLog(std::size_t capacity = kDefaultCapacity, QObject* parent = nullptr);

    // The text is kept with its control characters escaped.
    void append(EntryKind kind, const QString& text);
    // The newest last; the oldest are dropped beyond the capacity.
    const std::deque<Entry>& entries() const { return m_entries; }
    std::size_t capacity() const { return m_capacity; }

signals:
    void appended(const linklog::Entry& entry);

private:
    std::size_t m_capacity;
    std::deque<Entry> m_entries;
};

} // namespace linklog
