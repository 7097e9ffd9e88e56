// The filtered views of the browser view: for a filter, the numbers of the
// calls that pass it, made as the page asks for rows and kept for the next
// requests (the few latest filters).
//
// A view that needs a call's content is made by reading the capture from
// where the view stopped last time, for a bounded time per request, so a
// request is answered promptly whatever the capture's size and the page
// asks again until the view is complete. A view whose filter looks only at
// call numbers needs no list at all.
#pragma once

#include <chrono>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "replay/CaptureIndex.h"
#include "replay/TraceQuery.h"

namespace vesk::replay {

// Decides whether a call passes a view's filter.
class ICallMatcher {
public:
    virtual ~ICallMatcher();
    // `line` is the line of call `number`, a well-formed call (followed by
    // the call parser's padding). A call that cannot be rendered does not
    // pass.
    virtual bool Matches(uint64_t number, std::string_view line, const tTraceFilter& filter) = 0;
};

// How long one request may make a view: at least kMinViewWork when it
// already has the rows asked for (so that the count of matches grows while
// the page polls), at most kMaxViewWork.
inline constexpr std::chrono::milliseconds kMinViewWork{100};
inline constexpr std::chrono::milliseconds kMaxViewWork{200};

// Rows of a view, as one request sees them.
struct tViewRows {
    std::vector<uint64_t> numbers;  // the call numbers at the positions asked for
    uint64_t total = 0;             // matches found so far
    uint64_t examined = 0;          // calls examined so far (the index's for a plain view)
    bool complete = false;          // every call of a completely indexed capture was examined
    std::string failure;            // why the view cannot be completed; empty when it can
};

class CCallView {
public:
    explicit CCallView(tTraceFilter filter);

    const tTraceFilter& Filter() const { return m_filter; }

    // The numbers at positions `first` to `first + count - 1` (as far as
    // known), after making the view further with `matcher`.
    tViewRows Rows(const CCaptureIndex& index, ICallMatcher& matcher, uint64_t first, uint32_t count);

private:
    // Examines calls until `wanted` matches are known and the time is up.
    void extend(const CCaptureIndex& index, ICallMatcher& matcher, uint64_t wanted);
    // Errors only, nothing else but numbers: the index's states decide.
    bool decidedByStates() const;

    tTraceFilter m_filter;
    std::mutex m_mutex;             // one request makes the view at a time
    std::vector<uint32_t> m_matches;  // call numbers (an index holds fewer than 2^32)
    uint64_t m_examined;            // calls up to this number have been examined
    std::string m_failure;
};

// The views of the latest filters.
class CViewCache {
public:
    static constexpr size_t kMaxViews = 4;

    // The view of `filter`, made anew when it is not among the latest.
    std::shared_ptr<CCallView> Get(const tTraceFilter& filter);

private:
    std::mutex m_mutex;
    std::list<std::pair<std::string, std::shared_ptr<CCallView>>> m_views;  // latest first
};

}  // namespace vesk::replay
