#include "heapcounter.h"

#ifdef CORVANE_HEAP_COUNTER

#include <atomic>
#include <cerrno>
#include <cstddef>
#include <malloc.h>

extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* pointer, size_t size);
void* __libc_memalign(size_t alignment, size_t size);
void __libc_free(void* pointer);
}

namespace {

std::atomic<bool> counting { false };
std::atomic<std::int64_t> liveBytes { 0 };
std::atomic<std::int64_t> peakBytes { 0 };

void added(void* pointer)
{
    if (!pointer || !counting.load(std::memory_order_relaxed))
        return;
    const auto size = std::int64_t(malloc_usable_size(pointer));
    const std::int64_t now = liveBytes.fetch_add(size) + size;
    std::int64_t seen = peakBytes.load(std::memory_order_relaxed);
    while (now > seen && !peakBytes.compare_exchange_weak(seen, now)) { }
}

void removed(void* pointer)
{
    if (pointer && counting.load(std::memory_order_relaxed))
        liveBytes.fetch_sub(std::int64_t(malloc_usable_size(pointer)));
}

}

extern "C" {

void* malloc(size_t size)
{
    void* pointer = __libc_malloc(size);
    added(pointer);
    return pointer;
}

void* calloc(size_t count, size_t size)
{
    void* pointer = __libc_calloc(count, size);
    added(pointer);
    return pointer;
}

void* realloc(void* pointer, size_t size)
{
    removed(pointer);
    void* moved = __libc_realloc(pointer, size);
    // A failed realloc leaves the block where it was.
    added(moved ? moved : (size ? pointer : nullptr));
    return moved;
}

void free(void* pointer)
{
    removed(pointer);
    __libc_free(pointer);
}

void* memalign(size_t alignment, size_t size)
{
    void* pointer = __libc_memalign(alignment, size);
    added(pointer);
    return pointer;
}

void* aligned_alloc(size_t alignment, size_t size) { return memalign(alignment, size); }

int posix_memalign(void** result, size_t alignment, size_t size)
{
    void* pointer = memalign(alignment, size);
    if (!pointer)
        return ENOMEM;
    *result = pointer;
    return 0;
}
}

namespace Corvane::Bench::HeapCounter {

bool available() { return true; }
void start()
{
    liveBytes.store(0);
    peakBytes.store(0);
    counting.store(true);
}
void stop() { counting.store(false); }
std::int64_t live() { return liveBytes.load(); }
std::int64_t peak() { return peakBytes.load(); }

}

#else

namespace Corvane::Bench::HeapCounter {

bool available() { return false; }
void start() { }
void stop() { }
std::int64_t live() { return 0; }
std::int64_t peak() { return 0; }

}

#endif
