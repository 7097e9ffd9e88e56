// The graphical runtime's handles: creation, release and the copies that
// CVeskUtility::StringToPlexa makes into them.
//
// A handle is a malloc'd master pointer to a malloc'd block. Resizing
// reallocates the block and updates the master pointer, so the handle the
// caller holds stays valid. When an allocation fails the handle keeps a
// consistent state (its count always matches its block) and std::bad_alloc
// is thrown.
#include "host/Plexa.h"

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

// Bytes of a string block holding `count` bytes; never less than the
// declared struct, so a block can always be read as an HStr.
size_t stringBlockBytes(size_t count) {
    const size_t bytes = kStringHeaderBytes + count;
    return bytes < sizeof(HStr) ? sizeof(HStr) : bytes;
}

size_t arrayBlockBytes(size_t count) {
    const size_t bytes = kArrayHeaderBytes + count * sizeof(HStr**);
    return bytes < sizeof(HStrArray) ? sizeof(HStrArray) : bytes;
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

void copyIntoString(const char* text, size_t length, HStr** handle) {
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

// A new string handle holding `length` bytes of `text`: its master pointer
// and a block of exactly that size.
HStr** newStringHandle(const char* text, size_t length) {
    const int32_t count = checkedCount(length);
    HStr** handle = newHandle<HStr>(stringBlockBytes(length));
    if (length) std::memcpy((*handle)->str, text, length);
    (*handle)->cnt = count;
    return handle;
}

// Makes the array hold exactly `texts`: elements it has are refilled, the
// ones it lacks are made at their size, the ones too many are released.
// The count stored in the block is kept in step after every single change.
void fillStringArray(HStrArray** handle, const std::vector<StringBase>& texts) {
    const int32_t wanted = checkedCount(texts.size());
    if (!*handle) {
        *handle = static_cast<HStrArray*>(std::calloc(1, arrayBlockBytes(0)));
        if (!*handle) throw std::bad_alloc();
    }
    int32_t current = (*handle)->cnt < 0 ? 0 : (*handle)->cnt;
    if (current > wanted) {
        while (current > wanted) {
            --current;
            PlexaDisposeString((*handle)->elt[current]);
            (*handle)->elt[current] = nullptr;
            (*handle)->cnt = current;
        }
        // Shrinking cannot fail in a way that matters: on failure the larger
        // block simply stays.
        if (void* smaller = std::realloc(*handle, arrayBlockBytes(texts.size()))) {
            *handle = static_cast<HStrArray*>(smaller);
        }
    }
    for (int32_t i = 0; i < current; ++i) {
        // An element the runtime left empty gets a handle of its own.
        if (!(*handle)->elt[i]) (*handle)->elt[i] = PlexaNewString();
        const StringBase& text = texts[static_cast<size_t>(i)];
        copyIntoString(text.c_str(), text.length(), (*handle)->elt[i]);
    }
    if (current < wanted) {
        resizeBlock(handle, arrayBlockBytes(texts.size()));
        for (; current < wanted; ++current) {
            const StringBase& text = texts[static_cast<size_t>(current)];
            (*handle)->elt[current] = newStringHandle(text.c_str(), text.length());
            (*handle)->cnt = current + 1;
        }
    }
}

}  // namespace

HStr** PlexaNewString() { return newHandle<HStr>(stringBlockBytes(0)); }

HStrArray** PlexaNewStringArray() { return newHandle<HStrArray>(arrayBlockBytes(0)); }

void PlexaDisposeString(HStr** handle) {
    if (!handle) return;
    std::free(*handle);
    std::free(handle);
}

void PlexaDisposeStringArray(HStrArray** handle) {
    if (!handle) return;
    if (HStrArray* block = *handle) {
        for (int32_t i = 0; i < block->cnt; ++i) PlexaDisposeString(block->elt[i]);
        std::free(block);
    }
    std::free(handle);
}

void CVeskUtility::StringToPlexa(const StringBase& text, HStr** handle) {
    if (!handle) return;
    copyIntoString(text.c_str(), text.length(), handle);
}

void CVeskUtility::StringToPlexa(const std::vector<StringBase>& texts, HStrArray** handle) {
    if (handle) fillStringArray(handle, texts);
}
