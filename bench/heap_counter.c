/* Replaces malloc and its relatives in the benchmark executable. Calls made
 * by shared libraries bind to these definitions too, so every allocation of
 * the process is counted before the C library serves it. */
#ifndef _GNU_SOURCE
#define _GNU_SOURCE
#endif
#include "heap_counter.h"

#include <dlfcn.h>
#include <errno.h>
#include <execinfo.h>
#include <stdatomic.h>
#include <stddef.h>
#include <string.h>
#include <unistd.h>

void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* pointer, size_t size);
void* __libc_memalign(size_t alignment, size_t size);

enum { kMaxOrigins = 32, kMaxFrames = 32 };

static atomic_uint_fast64_t allocations;
static atomic_int tracing;
static atomic_flag originsLock = ATOMIC_FLAG_INIT;
static HeapOrigin origins[kMaxOrigins];
static int originCount;
static __thread int insideTrace; /* the unwinder may allocate the first time */

/* The runtime that allocates on someone else's behalf: look past it. */
static int IsRuntime(const char* object) {
    static const char* const kRuntime[] = {"/libc.so", "/libstdc++.so", "/libgcc_s.so",
                                           "/ld-linux"};
    for (size_t i = 0; i < sizeof kRuntime / sizeof kRuntime[0]; ++i) {
        if (object != NULL && strstr(object, kRuntime[i]) != NULL) {
            return 1;
        }
    }
    return 0;
}

static void AddOrigin(const char* object) {
    while (atomic_flag_test_and_set_explicit(&originsLock, memory_order_acquire)) {
    }
    int i = 0;
    while (i < originCount && origins[i].object != object) {
        ++i;
    }
    if (i == originCount && originCount < kMaxOrigins) {
        origins[originCount++].object = object;
    }
    if (i < originCount) {
        ++origins[i].count;
    }
    atomic_flag_clear_explicit(&originsLock, memory_order_release);
}

__attribute__((noinline)) static void TraceOrigin(void) {
    if (insideTrace) {
        return;
    }
    insideTrace = 1;
    static void* const self = (void*)&HeapAllocationCount;
    Dl_info own;
    const void* ownBase = dladdr(self, &own) ? own.dli_fbase : NULL;
    void* frames[kMaxFrames];
    const int depth = backtrace(frames, kMaxFrames);
    const char* origin = "(unknown)";
    /* frames[0] is this function, frames[1] the allocator it serves. */
    for (int i = 2; i < depth; ++i) {
        Dl_info info;
        if (dladdr(frames[i], &info) == 0) {
            break; /* code with no object, e.g. the driver's compiled shaders */
        }
        if (info.dli_fbase == ownBase) {
            origin = NULL;
            break;
        }
        if (!IsRuntime(info.dli_fname)) {
            origin = info.dli_fname;
            break;
        }
    }
    AddOrigin(origin);
    insideTrace = 0;
}

static inline __attribute__((always_inline)) void CountOne(void) {
    atomic_fetch_add_explicit(&allocations, 1, memory_order_relaxed);
    if (atomic_load_explicit(&tracing, memory_order_relaxed)) {
        TraceOrigin();
    }
}

uint64_t HeapAllocationCount(void) {
    return atomic_load_explicit(&allocations, memory_order_relaxed);
}

void HeapTraceOrigins(int on) {
    if (on) {
        void* frames[2];
        backtrace(frames, 2); /* loads the unwinder now, not inside a count */
    }
    atomic_store(&tracing, on);
}

void HeapClearOrigins(void) {
    while (atomic_flag_test_and_set_explicit(&originsLock, memory_order_acquire)) {
    }
    originCount = 0;
    memset(origins, 0, sizeof origins);
    atomic_flag_clear_explicit(&originsLock, memory_order_release);
}

int HeapOrigins(HeapOrigin* out, int capacity) {
    while (atomic_flag_test_and_set_explicit(&originsLock, memory_order_acquire)) {
    }
    const int count = originCount < capacity ? originCount : capacity;
    memcpy(out, origins, (size_t)count * sizeof *out);
    atomic_flag_clear_explicit(&originsLock, memory_order_release);
    return count;
}

void* malloc(size_t size) {
    CountOne();
    return __libc_malloc(size);
}

void* calloc(size_t count, size_t size) {
    CountOne();
    return __libc_calloc(count, size);
}

void* realloc(void* pointer, size_t size) {
    CountOne();
    return __libc_realloc(pointer, size);
}

void* memalign(size_t alignment, size_t size) {
    CountOne();
    return __libc_memalign(alignment, size);
}

void* aligned_alloc(size_t alignment, size_t size) {
    CountOne();
    return __libc_memalign(alignment, size);
}

void* valloc(size_t size) {
    CountOne();
    return __libc_memalign((size_t)sysconf(_SC_PAGESIZE), size);
}

int posix_memalign(void** result, size_t alignment, size_t size) {
    if (alignment % sizeof(void*) != 0 || (alignment & (alignment - 1)) != 0) {
        return EINVAL;
    }
    CountOne();
    void* pointer = __libc_memalign(alignment, size);
    if (pointer == NULL) {
        return ENOMEM;
    }
    *result = pointer;
    return 0;
}
