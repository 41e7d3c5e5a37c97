// Heap allocations per benchmark iteration, as a counter beside the time. Counted from its
// construction to its destruction, so it must be gone before anything else is added to the
// state's counters (adding one allocates).
#pragma once

#include "bench/AllocCounter.h"

#include <benchmark/benchmark.h>

class AllocationMeter {
public:
    explicit AllocationMeter(benchmark::State& state) : state_(state), start_(AllocationCount()) {}
    AllocationMeter(const AllocationMeter&) = delete;
    AllocationMeter& operator=(const AllocationMeter&) = delete;
    ~AllocationMeter() {
        const int64_t now = AllocationCount();
        const double total = start_ < 0 ? -1.0 : static_cast<double>(now - start_);
        state_.counters["allocs"] = benchmark::Counter(
            total, start_ < 0 ? benchmark::Counter::kDefaults : benchmark::Counter::kAvgIterations);
    }

private:
    benchmark::State& state_;
    int64_t start_;
};
