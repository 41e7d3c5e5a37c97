#include "bench/AllocCounter.h"

#include <cerrno>
#include <cstddef>
#include <new>

#ifndef TUMBLEGEM_NO_ALLOC_COUNT

extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* p, size_t size);
void* __libc_memalign(size_t alignment, size_t size);
void __libc_free(void* p);
}

namespace {
// Per thread: what a benchmark does on its own thread, not what a helper thread of Qt's or the
// system's happens to do meanwhile.
thread_local int64_t tAllocations = 0;
inline void Count() {
    ++tAllocations;
}
} // namespace

int64_t AllocationCount() {
    return tAllocations;
}

// The C allocator: everything Qt's own containers and text engine allocate goes here.
extern "C" {
void* malloc(size_t size) {
    Count();
    return __libc_malloc(size);
}
void* calloc(size_t count, size_t size) {
    Count();
    return __libc_calloc(count, size);
}
void* realloc(void* p, size_t size) {
    Count();
    return __libc_realloc(p, size);
}
void free(void* p) {
    __libc_free(p);
}
void* memalign(size_t alignment, size_t size) {
    Count();
    return __libc_memalign(alignment, size);
}
void* aligned_alloc(size_t alignment, size_t size) {
    Count();
    return __libc_memalign(alignment, size);
}
int posix_memalign(void** out, size_t alignment, size_t size) {
    Count();
    void* p = __libc_memalign(alignment, size);
    if (p == nullptr)
        return ENOMEM;
    *out = p;
    return 0;
}
}

// C++ new goes straight to the C allocator, so it counts once.
namespace {
void* NewBlock(size_t size) {
    Count();
    if (void* p = __libc_malloc(size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}
void* NewAligned(size_t size, std::align_val_t alignment) {
    Count();
    if (void* p = __libc_memalign(static_cast<size_t>(alignment), size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}
} // namespace

void* operator new(size_t size) {
    return NewBlock(size);
}
void* operator new[](size_t size) {
    return NewBlock(size);
}
void* operator new(size_t size, const std::nothrow_t&) noexcept {
    Count();
    return __libc_malloc(size == 0 ? 1 : size);
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept {
    Count();
    return __libc_malloc(size == 0 ? 1 : size);
}
void* operator new(size_t size, std::align_val_t a) {
    return NewAligned(size, a);
}
void* operator new[](size_t size, std::align_val_t a) {
    return NewAligned(size, a);
}
void operator delete(void* p) noexcept {
    __libc_free(p);
}
void operator delete[](void* p) noexcept {
    __libc_free(p);
}
void operator delete(void* p, size_t) noexcept {
    __libc_free(p);
}
void operator delete[](void* p, size_t) noexcept {
    __libc_free(p);
}
void operator delete(void* p, std::align_val_t) noexcept {
    __libc_free(p);
}
void operator delete[](void* p, std::align_val_t) noexcept {
    __libc_free(p);
}
void operator delete(void* p, size_t, std::align_val_t) noexcept {
    __libc_free(p);
}
void operator delete[](void* p, size_t, std::align_val_t) noexcept {
    __libc_free(p);
}

#else

int64_t AllocationCount() {
    return -1;
}

#endif
