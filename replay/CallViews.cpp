#include "replay/CallViews.h"

#include <algorithm>

#include "replay/CaptureScanner.h"

namespace vesk::replay {

ICallMatcher::~ICallMatcher() = default;

CCallView::CCallView(tTraceFilter filter)
    : m_filter(std::move(filter)), m_examined(m_filter.calls.firstCall - 1) {}

bool CCallView::decidedByStates() const {
    const tCallFilter& calls = m_filter.calls;
    return calls.functions.empty() && !calls.hasSession && !calls.hasThread && m_filter.text.empty();
}

void CCallView::extend(const CCaptureIndex& index, ICallMatcher& matcher, uint64_t wanted) {
    const uint64_t last = std::min(index.Calls(), m_filter.calls.lastCall);
    if (m_examined >= last || !m_failure.empty()) return;
    const auto start = std::chrono::steady_clock::now();
    auto timeIsUp = [&] {
        const auto spent = std::chrono::steady_clock::now() - start;
        return spent >= kMaxViewWork || (m_matches.size() >= wanted && spent >= kMinViewWork);
    };
    using eCallState = CCaptureIndex::eCallState;
    if (decidedByStates()) {
        // Errors only: the index knows which calls failed.
        for (uint64_t number = m_examined + 1; number <= last; ++number) {
            if (index.State(number) == eCallState::Failed) m_matches.push_back(static_cast<uint32_t>(number));
        }
        m_examined = last;
        return;
    }
    // Read on from the first call not examined, in large blocks.
    CCaptureScanner scanner(index.Fd(), index.Offset(m_examined + 1), 0, index.MaxLineBytes());
    CCaptureScanner::tLine line;
    uint64_t sinceClock = 0;
    while (m_examined < last) {
        const CCaptureScanner::eNext next = scanner.Next(line);
        if (next == CCaptureScanner::eNext::End || next == CCaptureScanner::eNext::ReadError) {
            m_failure = "the capture could not be read again (it has changed or become unreadable)";
            return;
        }
        const uint64_t number = m_examined + 1;
        if (line.offset != index.Offset(number)) {
            m_failure = "the capture has changed since it was indexed";
            return;
        }
        const eCallState state = index.State(number);
        const bool candidate = next == CCaptureScanner::eNext::Line && state != eCallState::Bad &&
                               state != eCallState::TooLong &&
                               (!m_filter.calls.errorsOnly || state == eCallState::Failed);
        if (candidate && matcher.Matches(number, line.text, m_filter)) {
            m_matches.push_back(static_cast<uint32_t>(number));
        }
        m_examined = number;
        // The clock is read now and then: a call takes microseconds.
        if (++sinceClock % 64 == 0 && timeIsUp()) return;
    }
}

tViewRows CCallView::Rows(const CCaptureIndex& index, ICallMatcher& matcher, uint64_t first, uint32_t count) {
    tViewRows rows;
    const uint64_t calls = index.Calls();
    const bool indexed = index.Progress().complete;
    const tCallFilter& numbers = m_filter.calls;
    if (m_filter.OnlyNumbers()) {
        const uint64_t last = std::min(calls, numbers.lastCall);
        rows.total = last >= numbers.firstCall ? last - numbers.firstCall + 1 : 0;
        rows.examined = calls;
        rows.complete = indexed || calls >= numbers.lastCall;
        for (uint64_t position = first; position < rows.total && position - first < count; ++position) {
            rows.numbers.push_back(numbers.firstCall + position);
        }
        return rows;
    }
    const std::lock_guard<std::mutex> lock(m_mutex);
    const uint64_t wanted = first > UINT64_MAX - count ? UINT64_MAX : first + count;
    extend(index, matcher, wanted);
    rows.total = m_matches.size();
    rows.examined = m_examined;
    rows.failure = m_failure;
    rows.complete = m_failure.empty() && (m_examined >= numbers.lastCall || (indexed && m_examined >= calls));
    for (uint64_t position = first; position < rows.total && position - first < count; ++position) {
        rows.numbers.push_back(m_matches[position]);
    }
    return rows;
}

std::shared_ptr<CCallView> CViewCache::Get(const tTraceFilter& filter) {
    const std::string key = filter.Key();
    const std::lock_guard<std::mutex> lock(m_mutex);
    for (auto it = m_views.begin(); it != m_views.end(); ++it) {
        if (it->first == key) {
            m_views.splice(m_views.begin(), m_views, it);
            return m_views.front().second;
        }
    }
    m_views.emplace_front(key, std::make_shared<CCallView>(filter));
    if (m_views.size() > kMaxViews) m_views.pop_back();
    return m_views.front().second;
}

}  // namespace vesk::replay
