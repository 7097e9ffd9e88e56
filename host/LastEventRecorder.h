// The last of some host event (a message box shown, a help request made)
// and how many there were since the last reset (internal to the host
// library). Safe to use from any thread.
#pragma once

#include <cstdint>
#include <mutex>
#include <utility>

template <class Event>
class LastEventRecorder {
public:
    void Record(Event event) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_last = std::move(event);
        m_any = true;
        ++m_count;
    }
    // The last event; false (and `event` untouched) when none.
    bool Last(Event& event) const {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_any) return false;
        event = m_last;
        return true;
    }
    int32_t Count() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_count;
    }
    void Reset() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_last = Event{};
        m_any = false;
        m_count = 0;
    }

private:
    mutable std::mutex m_mutex;
    Event m_last{};
    bool m_any = false;
    int32_t m_count = 0;
};
