// Counts the heap allocations of the whole benchmark process, on every thread:
// malloc and its relatives are replaced in this executable and handed on to
// the C library, so the GL driver and the media layer are counted too.
#pragma once

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

uint64_t HeapAllocationCount(void);

// Where allocations come from: the first caller outside the C and C++
// runtime, by the shared object (or this executable) that holds it.
typedef struct {
    const char* object; // path of the shared object; NULL for this executable
    uint64_t count;
} HeapOrigin;

// While on, every allocation also walks its stack (slow: not while timing).
void HeapTraceOrigins(int on);
void HeapClearOrigins(void);
// Copies up to `capacity` origins seen since the last clear; returns how many.
int HeapOrigins(HeapOrigin* origins, int capacity);

#ifdef __cplusplus
}
#endif
