#include <cstring>
#include <memory>

#include "call/CVISACall.h"

namespace nKoVeskLog210 {

CVISACall::tBufferInfo* CVISACall::AddBufferToList(const char* name,
                                                   IKoVeskCall::eLogDataType type,
                                                   int paramIndex) {
    auto entry = std::make_unique<tBufferInfo>(tBufferInfo{StringBase(name), type, paramIndex});
    if (!m_bufferList) m_bufferList = new tBufferList;
    m_bufferList->push_back(entry.get());
    return entry.release();
}

bool CVISACall::IsBufferInList(const char* name) const {
    if (!m_bufferList) return false;
    for (const tBufferInfo* entry : *m_bufferList) {
        if (entry->name.EqualsNoCase(name)) return true;
    }
    return false;
}

bool CVISACall::IsMatchingBufferName(const char* first, const char* second) const {
    if (!first || !second) return false;
    // Most names differ in their first character; only then compare whole.
    if (first[0] == second[0] && std::strcmp(first, second) == 0) return true;
    return second[0] == '*' && first[0] == second[1] && std::strcmp(first, second + 1) == 0;
}

void CVISACall::delBI(tBufferInfo* info) { delete info; }

uint32_t CVISACall::GetBufferListSize() const {
    return m_bufferList ? static_cast<uint32_t>(m_bufferList->size()) : 0;
}

const CVISACall::tBufferInfo* CVISACall::bufferAt(int position) const {
    if (!m_bufferList || position < 0 || static_cast<uint32_t>(position) >= GetBufferListSize()) {
        return nullptr;
    }
    auto it = m_bufferList->begin();
    std::advance(it, position);
    return *it;
}

bool CVISACall::GetBuffers(std::vector<char*>& data, std::vector<int>& sizes) const {
    data.clear();
    sizes.clear();
    if (!m_bufferList || m_bufferList->empty()) return false;
    for (const tBufferInfo* entry : *m_bufferList) {
        const IKoVeskLogger* logger = loggerOf(*entry);
        if (!logger) continue;
        int size = 0;
        logger->GetParamSize(entry->paramIndex, &size);
        if (size == 0) continue;
        const char* bytes = nullptr;
        logger->GetParamBuffer(entry->paramIndex, &bytes, size);
        data.push_back(const_cast<char*>(bytes));
        sizes.push_back(size);
    }
    return true;
}

}  // namespace nKoVeskLog210
