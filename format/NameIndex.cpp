#include "format/NameIndex.h"

#include <algorithm>
#include <array>

#include "format/CVisaFormat.h"

namespace nKoVeskLog210 {
namespace {

using tRow = CVisaGenericFormat::tNumNameMapInfo;

// The rows of a table of `Count` rows ordered by (value, row position), so
// that the first entry of a value is its first row in the table.
template <uint32_t Count>
class CSortedNameIndex {
public:
    explicit CSortedNameIndex(const tRow* table) : m_table(table) {
        for (uint32_t i = 0; i < Count; ++i) m_entries[i] = {table[i].value, i};
        std::sort(m_entries.begin(), m_entries.end(), [](const tEntry& a, const tEntry& b) {
            return a.value != b.value ? a.value < b.value : a.row < b.row;
        });
    }

    const tRow* find(uint32_t value) const {
        const auto found = std::lower_bound(
            m_entries.begin(), m_entries.end(), value,
            [](const tEntry& entry, uint32_t wanted) { return entry.value < wanted; });
        if (found == m_entries.end() || found->value != value) return nullptr;
        return &m_table[found->row];
    }

private:
    struct tEntry {
        uint32_t value;
        uint32_t row;
    };
    const tRow* m_table;
    std::array<tEntry, Count> m_entries{};
};

const tRow* scanInOrder(const tRow* table, uint32_t value) {
    for (const tRow* row = table; row->name; ++row) {
        if (row->value == value) return row;
    }
    return nullptr;
}

}  // namespace

const CVisaGenericFormat::tNumNameMapInfo* findNameRow(const tRow* table, uint32_t value) {
    if (table == CVisaFormat::attrList) {
        static const CSortedNameIndex<CVisaFormat::kAttributeCount> index(CVisaFormat::attrList);
        return index.find(value);
    }
    if (table == CVisaFormat::statusList) {
        static const CSortedNameIndex<CVisaFormat::kStatusCount> index(CVisaFormat::statusList);
        return index.find(value);
    }
    if (table == CVisaFormat::eventList) {
        static const CSortedNameIndex<CVisaFormat::kEventCount> index(CVisaFormat::eventList);
        return index.find(value);
    }
    return scanInOrder(table, value);
}

}  // namespace nKoVeskLog210
