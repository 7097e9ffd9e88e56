#include "host/CProcThreadInfo.h"

#include <limits>

// Key function: the class's table and type information live here.
CProcThreadInfo::~CProcThreadInfo() = default;

void CProcThreadInfo::IncrementIndent(int steps) {
    const long long indent = static_cast<long long>(m_indent) + steps;
    if (indent < 0) {
        m_indent = 0;
    } else if (indent > std::numeric_limits<int>::max()) {
        m_indent = std::numeric_limits<int>::max();
    } else {
        m_indent = static_cast<int>(indent);
    }
}

void CProcThreadInfo::DecrementIndent(int steps) {
    IncrementIndent(steps == std::numeric_limits<int>::min() ? std::numeric_limits<int>::max()
                                                             : -steps);
}
