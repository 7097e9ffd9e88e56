// Per-thread information of the traced process: the nesting depth by which
// the host indents nested calls in its list.
#pragma once

#include "ko/zel/Export.h"

// One per traced thread, owned by the host; a record is given its thread's
// object (InitProcThreadInfo) and raises and lowers the depth as calls open
// and close. Used by one thread at a time.
class KOVESK_API CProcThreadInfo {
public:
    CProcThreadInfo() = default;
    virtual ~CProcThreadInfo();
    // Raises the depth by `steps` (lowers it for a negative count); the
    // depth stays between 0 and INT_MAX.
    void IncrementIndent(int steps);
    // Lowers the depth by `steps`; never below 0.
    void DecrementIndent(int steps);
    int GetIndent() const { return m_indent; }

private:
    int m_indent = 0;
};
