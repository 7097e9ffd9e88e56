// The graphical runtime's handles: creation, release and the copies that
// CVeskUtility::StringToPlexa makes into them.
//
// A handle made alone is a malloc'd master pointer to a malloc'd block.
// Resizing reallocates the block and updates the master pointer, so the
// handle the caller holds stays valid. The elements an array gains are
// packed into chunks of the array (below). When an allocation fails the
// handle keeps a consistent state (its count always matches its block) and
// std::bad_alloc is thrown.
#include "host/Plexa.h"

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>
#include <vector>

#include "host/CVeskUtility.h"

namespace {

constexpr size_t kStringHeaderBytes = offsetof(HStr, str);
constexpr size_t kArrayHeaderBytes = offsetof(HStrArray, elt);

// --- packed elements ----------------------------------------------------------
//
// The elements that StringToPlexa adds to an array are packed: each one's
// master pointer and block sit side by side in a chunk of the array's own,
// a record of
//
//   [master pointer][uint32 room][HStr: int32 cnt, cnt bytes][padding to 8]
//
// so that a list of millions of lines costs no allocation a line. A packed
// element is told by its master pointer: its block starts 4 bytes past an
// 8-byte boundary, which a block from malloc never does. The word before
// the block holds the bytes it has room for and whether the block has left
// the chunk (a longer text was copied into the element: it then has a
// malloc'd block of its own, behind the same word). The chunks hang off a
// word that follows the array's last element in the array's block.

constexpr uintptr_t kPackedTagMask = 7;
constexpr uintptr_t kPackedTag = 4;
constexpr uint32_t kDetached = 0x80000000u;  // in the room word: the block left the chunk
constexpr size_t kRoomBytes = sizeof(uint32_t);
constexpr size_t kRecordHeaderBytes = sizeof(HStr*) + kRoomBytes + kStringHeaderBytes;
// Records a chunk takes at most (unless one record alone is larger): small
// enough that the allocator serves it from memory the caller just freed.
constexpr size_t kChunkBytes = size_t{64} << 10;

// A chunk holds the records of elements firstIndex on, added together;
// the array's list runs from the chunk added last, so the elements of a
// chunk all lie behind those of the chunks after it in the list.
struct tChunk {
    tChunk* next;
    size_t firstIndex;
    size_t bytes;  // of its records
};
constexpr size_t kChunkHeaderBytes = sizeof(tChunk);

// Blocks of their own that packed elements hold, in the whole process.
// While there are none, releasing the elements of an array needs no look
// at the elements that sit in its chunks: a list of millions of lines is
// released without reading them back.
std::atomic<size_t> g_detachedBlocks{0};

// What a released packed element points to: no room, never written.
alignas(8) const unsigned char kReleasedRecord[8 + kRoomBytes + kStringHeaderBytes] = {};
HStr* releasedBlock() {
    return reinterpret_cast<HStr*>(const_cast<unsigned char*>(kReleasedRecord) + sizeof(HStr*) +
                                   kRoomBytes);
}

bool isPacked(const HStr* block) {
    return (reinterpret_cast<uintptr_t>(block) & kPackedTagMask) == kPackedTag;
}

uint32_t* roomOf(HStr* block) {
    return reinterpret_cast<uint32_t*>(reinterpret_cast<unsigned char*>(block) - kRoomBytes);
}

size_t recordBytes(size_t length) {
    return kRecordHeaderBytes + ((length + 7) & ~size_t{7});
}

// --- blocks --------------------------------------------------------------------------

// Bytes of a string block holding `count` bytes; never less than the
// declared struct, so a block can always be read as an HStr.
size_t stringBlockBytes(size_t count) {
    const size_t bytes = kStringHeaderBytes + count;
    return bytes < sizeof(HStr) ? sizeof(HStr) : bytes;
}

// Bytes of an array block of `count` elements: the elements, then the word
// that holds the array's chunks.
size_t arrayBlockBytes(size_t count) {
    return kArrayHeaderBytes + count * sizeof(HStr**) + sizeof(tChunk*);
}

// The chunks of the array `block` that holds `count` elements.
tChunk* chunksOf(const HStrArray* block, int32_t count) {
    tChunk* chunks;
    std::memcpy(&chunks, reinterpret_cast<const unsigned char*>(block) + arrayBlockBytes(
                             static_cast<size_t>(count)) - sizeof(tChunk*),
                sizeof chunks);
    return chunks;
}

void setChunks(HStrArray* block, int32_t count, tChunk* chunks) {
    std::memcpy(reinterpret_cast<unsigned char*>(block) +
                    arrayBlockBytes(static_cast<size_t>(count)) - sizeof(tChunk*),
                &chunks, sizeof chunks);
}

// Reallocates the block behind `master` to `bytes`; the old block stays in
// place when that fails.
template <class Block>
void resizeBlock(Block** master, size_t bytes) {
    void* fresh = std::realloc(*master, bytes);
    if (!fresh) throw std::bad_alloc();
    *master = static_cast<Block*>(fresh);
}

template <class Block>
Block** newHandle(size_t bytes) {
    Block** master = static_cast<Block**>(std::malloc(sizeof(Block*)));
    if (!master) throw std::bad_alloc();
    Block* block = static_cast<Block*>(std::calloc(1, bytes));
    if (!block) {
        std::free(master);
        throw std::bad_alloc();
    }
    *master = block;
    return master;
}

int32_t checkedCount(size_t count) {
    if (count > static_cast<size_t>(std::numeric_limits<int32_t>::max())) {
        throw std::length_error("runtime handle count exceeds 32 bits");
    }
    return static_cast<int32_t>(count);
}

// A packed element's text: in place while it fits the room it has, else in
// a block of its own (still behind a room word, so still told as packed).
void copyIntoPacked(const char* text, size_t length, HStr** handle) {
    const int32_t count = checkedCount(length);
    HStr* block = *handle;
    const uint32_t room = block == releasedBlock() ? 0 : *roomOf(block);
    if (block != releasedBlock() && length <= (room & ~kDetached)) {
        if (length) std::memcpy(block->str, text, length);
        block->cnt = count;
        return;
    }
    if (length >= kDetached) throw std::length_error("runtime string exceeds 2 GiB");
    auto* detached =
        static_cast<unsigned char*>(std::malloc(kRoomBytes + stringBlockBytes(length)));
    if (!detached) throw std::bad_alloc();
    // The room word first, the block 4 bytes on: malloc aligns to 8 at
    // least, so the block is told as packed.
    auto* fresh = reinterpret_cast<HStr*>(detached + kRoomBytes);
    *roomOf(fresh) = static_cast<uint32_t>(length) | kDetached;
    if (length) std::memcpy(fresh->str, text, length);
    fresh->cnt = count;
    g_detachedBlocks.fetch_add(1, std::memory_order_relaxed);
    if (block != releasedBlock() && (room & kDetached)) {
        std::free(roomOf(block));
        g_detachedBlocks.fetch_sub(1, std::memory_order_relaxed);
    }
    *handle = fresh;
}

void copyIntoString(const char* text, size_t length, HStr** handle) {
    if (*handle && isPacked(*handle)) {
        copyIntoPacked(text, length, handle);
        return;
    }
    const int32_t count = checkedCount(length);
    if (!*handle) {
        *handle = static_cast<HStr*>(std::calloc(1, stringBlockBytes(length)));
        if (!*handle) throw std::bad_alloc();
    } else {
        resizeBlock(handle, stringBlockBytes(length));
    }
    if (length) std::memcpy((*handle)->str, text, length);
    (*handle)->cnt = count;
}

// A new chunk for the records of `texts` from `first` on: as many as fit
// kChunkBytes, at least one. Linked in front of `chunks`.
tChunk* newChunk(const std::vector<StringBase>& texts, size_t first, tChunk* chunks,
                 size_t& records) {
    size_t bytes = 0;
    size_t last = first;
    while (last < texts.size()) {
        const size_t record = recordBytes(texts[last].length());
        if (last > first && bytes + record > kChunkBytes) break;
        bytes += record;
        ++last;
    }
    auto* chunk = static_cast<tChunk*>(std::malloc(kChunkHeaderBytes + bytes));
    if (!chunk) throw std::bad_alloc();
    chunk->next = chunks;
    chunk->firstIndex = first;
    chunk->bytes = bytes;
    records = last - first;
    return chunk;
}

// Writes the packed element of `text` at `record`; returns its handle.
HStr** writeRecord(unsigned char* record, const StringBase& text) {
    const size_t length = text.length();
    auto* master = reinterpret_cast<HStr**>(record);
    auto* block = reinterpret_cast<HStr*>(record + sizeof(HStr*) + kRoomBytes);
    *roomOf(block) = static_cast<uint32_t>((recordBytes(length) - kRecordHeaderBytes));
    block->cnt = static_cast<int32_t>(length);
    if (length) std::memcpy(block->str, text.c_str(), length);
    *master = block;
    return master;
}

// Frees the chunks whose elements all lie at `count` or behind (the array
// has been cut to `count` elements); returns the rest.
tChunk* freeChunksFrom(tChunk* chunks, size_t count) {
    while (chunks && chunks->firstIndex >= count) {
        tChunk* next = chunks->next;
        std::free(chunks);
        chunks = next;
    }
    return chunks;
}

// Element slots a shrinking array must give up before its block is made
// smaller: an array refilled call after call keeps a small block as it is.
constexpr int32_t kSlotsWorthShrinking = 512;

// True for a packed element whose block lies in its chunk: it goes with
// the chunk, nothing to free on its own.
bool isInChunk(const HStr* const* element) {
    return element && *element && isPacked(*element) && *element != releasedBlock() &&
           !(*roomOf(const_cast<HStr*>(*element)) & kDetached);
}

// Releases elements [from, to) of `block`, whose chunks are `chunks`: the
// packed ones that still sit in one of them go with the chunks (looked at
// only while some packed element somewhere has a block of its own), every
// other handle is released on its own.
void releaseElements(HStrArray* block, int32_t from, int32_t to, const tChunk* chunks) {
    const bool anyDetached = g_detachedBlocks.load(std::memory_order_relaxed) != 0;
    const tChunk* chunk = chunks;  // the chunk of element i: chunks run from the last
    for (int32_t i = to - 1; i >= from; --i) {
        HStr** element = block->elt[i];
        if (!element) continue;
        while (chunk && chunk->firstIndex > static_cast<size_t>(i)) chunk = chunk->next;
        if (chunk && !anyDetached) {
            const uintptr_t records = reinterpret_cast<uintptr_t>(chunk) + kChunkHeaderBytes;
            const auto at = reinterpret_cast<uintptr_t>(element);
            if (at >= records && at - records < chunk->bytes) continue;
        }
        if (!isInChunk(element)) PlexaDisposeString(element);
    }
}

// Releases the text at `index` when the caller gave the texts up.
void releaseText(std::vector<StringBase>* consumed, size_t index) {
    if (consumed) {
        const StringBase released(std::move((*consumed)[index]));
    }
}

// Makes the array hold exactly `texts`: elements it has are refilled, the
// ones it lacks are added as packed elements, the ones too many are
// released. The count stored in the block is kept in step with every
// change that can fail. With `consumed` (the same vector, given up by the caller)
// each text is released once copied, so that a list of millions of lines
// is never held twice.
void fillStringArray(HStrArray** handle, const std::vector<StringBase>& texts,
                     std::vector<StringBase>* consumed) {
    const int32_t wanted = checkedCount(texts.size());
    if (!*handle) {
        *handle = static_cast<HStrArray*>(std::calloc(1, arrayBlockBytes(0)));
        if (!*handle) throw std::bad_alloc();
    }
    int32_t current = (*handle)->cnt < 0 ? 0 : (*handle)->cnt;
    tChunk* chunks = chunksOf(*handle, current);
    if (current > wanted) {
        // Releasing cannot fail: the count and the chunks are set once.
        const int32_t before = current;
        releaseElements(*handle, wanted, before, chunks);
        current = wanted;
        (*handle)->cnt = current;
        chunks = freeChunksFrom(chunks, texts.size());
        setChunks(*handle, current, chunks);
        // Shrinking cannot fail in a way that matters: on failure the larger
        // block simply stays.
        if (before - wanted >= kSlotsWorthShrinking) {
            if (void* smaller = std::realloc(*handle, arrayBlockBytes(texts.size()))) {
                *handle = static_cast<HStrArray*>(smaller);
            }
        }
    }
    for (int32_t i = 0; i < current; ++i) {
        // An element the runtime left empty gets a handle of its own.
        if (!(*handle)->elt[i]) (*handle)->elt[i] = PlexaNewString();
        const StringBase& text = texts[static_cast<size_t>(i)];
        copyIntoString(text.c_str(), text.length(), (*handle)->elt[i]);
        releaseText(consumed, static_cast<size_t>(i));
    }
    if (current < wanted) {
        resizeBlock(handle, arrayBlockBytes(texts.size()));
        while (current < wanted) {
            size_t records = 0;
            chunks = newChunk(texts, static_cast<size_t>(current), chunks, records);
            // Nothing from here to the next chunk can fail: the count and
            // the chunks are set once the chunk is filled.
            unsigned char* record = reinterpret_cast<unsigned char*>(chunks) + kChunkHeaderBytes;
            HStr*** const elements = (*handle)->elt;
            for (size_t k = 0; k < records; ++k) {
                const size_t index = static_cast<size_t>(current) + k;
                const StringBase& text = texts[index];
                elements[index] = writeRecord(record, text);
                record += recordBytes(text.length());
                releaseText(consumed, index);
            }
            current += static_cast<int32_t>(records);
            (*handle)->cnt = current;
            setChunks(*handle, current, chunks);
        }
    }
}

}  // namespace

HStr** PlexaNewString() { return newHandle<HStr>(stringBlockBytes(0)); }

HStrArray** PlexaNewStringArray() { return newHandle<HStrArray>(arrayBlockBytes(0)); }

void PlexaDisposeString(HStr** handle) {
    if (!handle) return;
    HStr* block = *handle;
    if (block && isPacked(block)) {
        // The master pointer lives in its array's chunk, which goes with the
        // array; only a block of its own is freed here.
        if (block != releasedBlock() && (*roomOf(block) & kDetached)) {
            std::free(roomOf(block));
            g_detachedBlocks.fetch_sub(1, std::memory_order_relaxed);
        }
        *handle = releasedBlock();
        return;
    }
    std::free(block);
    std::free(handle);
}

void PlexaDisposeStringArray(HStrArray** handle) {
    if (!handle) return;
    if (HStrArray* block = *handle) {
        const int32_t count = block->cnt < 0 ? 0 : block->cnt;
        releaseElements(block, 0, count, chunksOf(block, count));
        for (tChunk* chunk = chunksOf(block, count); chunk;) {
            tChunk* next = chunk->next;
            std::free(chunk);
            chunk = next;
        }
        std::free(block);
    }
    std::free(handle);
}

void CVeskUtility::StringToPlexa(const StringBase& text, HStr** handle) {
    if (!handle) return;
    copyIntoString(text.c_str(), text.length(), handle);
}

void CVeskUtility::StringToPlexa(const std::vector<StringBase>& texts, HStrArray** handle) {
    if (handle) fillStringArray(handle, texts, nullptr);
}

void CVeskUtility::StringToPlexa(std::vector<StringBase>&& texts, HStrArray** handle) {
    if (handle) fillStringArray(handle, texts, &texts);
}
