// A callback table that records every event instead of acting on it, under the names the
// panel file uses, so that tests see exactly which events the operator's actions raise.
#pragma once

#include <QString>

#include <functional>
#include <vector>

namespace testing {

struct RecordedEvent {
    QString callback;
    int control; // -1 for the panel callback
    int event;
    bool operator==(const RecordedEvent&) const = default;
};

std::vector<RecordedEvent>& recordedEvents();

// For test failure messages.
char* toString(const std::vector<RecordedEvent>& events);

// Registers the recording table; the hook, when set, runs inside every recorded callback.
void registerRecorders(std::function<void(const RecordedEvent&)> hook = {});

} // namespace testing
