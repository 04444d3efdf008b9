#pragma once
// Counts heap allocations made through the global operator new in the benchmark executable,
// so a benchmark can report allocations per operation. One definition for the whole binary
// (alloc_counter.cpp); benchmarks only read the counter.

#include <cstddef>

// Number of global operator new calls since the program started.
std::size_t kestro_bench_allocations();
