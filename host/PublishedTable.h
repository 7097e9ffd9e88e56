// A settings table that many threads read and few write (internal to the
// host library).
//
// Writers copy the current table, change the copy and publish it under a
// mutex. Each reading thread keeps its own reference to the table it last
// saw and only takes the mutex when a newer table was published since, so
// the common read is one atomic load: no lock, no shared write, no
// allocation. A published table is never changed; it is released when the
// last thread that holds it moves on or ends.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <utility>

template <class Table>
class PublishedTable {
public:
    // One per reading thread (declare it thread_local next to the reader).
    struct ReaderCache {
        uint64_t generation = 0;
        std::shared_ptr<const Table> table;
    };

    PublishedTable() : m_current(std::make_shared<const Table>()) {}

    // The current table as seen by this thread; valid until the thread's
    // next Read with the same cache.
    const Table& Read(ReaderCache& cache) const {
        if (cache.generation != m_generation.load(std::memory_order_acquire)) {
            std::lock_guard<std::mutex> lock(m_mutex);
            cache.table = m_current;
            cache.generation = m_generation.load(std::memory_order_relaxed);
        }
        return *cache.table;
    }

    // Publishes the result of `edit(Table&)` applied to a copy of the
    // current table. If `edit` throws, nothing is published.
    template <class Edit>
    void Update(Edit&& edit) {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto changed = std::make_shared<Table>(*m_current);
        std::forward<Edit>(edit)(*changed);
        m_current = std::move(changed);
        m_generation.fetch_add(1, std::memory_order_release);
    }

private:
    mutable std::mutex m_mutex;
    std::shared_ptr<const Table> m_current;
    std::atomic<uint64_t> m_generation{1};
};
