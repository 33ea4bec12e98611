#include <linklog/LinkLog.h>

#include <linklog/Escaped.h>

namespace linklog {

LinkLog::LinkLog(std::size_t capacity, QObject* parent) : QObject(parent), m_capacity(capacity) {}

void LinkLog::append(EntryKind kind, const QString& text) {
    if (m_capacity == 0)
        return;
    if (m_entries.size() == m_capacity)
        m_entries.pop_front();
    // Stamped in UTC, shown in local time: the local time zone costs a look at the system's
    // zone file each time, and a live view's traffic adds two entries a frame.
    // Each entry one line: what came from outside may hold any character.
    m_entries.push_back({QDateTime::currentDateTimeUtc(), kind, escaped(text)});
    emit appended(m_entries.back());
}

} // namespace linklog
