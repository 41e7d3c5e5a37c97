// Counts every heap allocation made by the process: C++ new and C malloc alike (Qt's
// containers allocate through malloc). Linked into the benchmark binary only.
#pragma once

#include <cstdint>

// Allocations so far on the calling thread; -1 when counting is not built in (sanitizer builds
// bring their own allocator).
int64_t AllocationCount();
