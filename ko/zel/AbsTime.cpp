#include "ko/zel/AbsTime.h"

#include <cstdint>

namespace ko::zel {

// Constant-initialised: the values exist as soon as the library is loaded,
// before any other static initialisation could ask for them.
const int64_t kAbsTimeEpochOffset = 2082844800;
const AbsTime kAbsTimeSmallest = {0, INT64_MIN};
const AbsTime kAbsTimeLargest = {UINT64_MAX, INT64_MAX};

}  // namespace ko::zel
