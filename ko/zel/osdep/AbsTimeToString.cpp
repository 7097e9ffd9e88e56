#include "ko/zel/osdep/AbsTimeToString.h"

// Interim: the renderer lands with the time-stamp work.
namespace ko::zel {

const int64_t kAbsTimeEpochOffset = 2082844800;
const AbsTime kAbsTimeSmallest = {0, INT64_MIN};
const AbsTime kAbsTimeLargest = {UINT64_MAX, INT64_MAX};

const wchar_t* DefaultDateFormat() { return L"%x"; }
const wchar_t* DefaultTimeFormat() { return L"%X"; }

WideStringBase& AbsTimeToString(WideStringBase& result, const AbsTime&, const wchar_t*,
                                const wchar_t*, uint32_t, uint32_t, bool, const wchar_t*,
                                int32_t) {
    result.assign(L"");
    return result;
}

int64_t AbsTimeToPosixSeconds(const AbsTime& time, eRounding) {
    return time.seconds - kAbsTimeEpochOffset;
}

}  // namespace ko::zel
