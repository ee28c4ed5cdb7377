#pragma once
// Heap bytes of a benchmark program: the program that links HeapCounter.cpp
// replaces the global operator new and delete with versions that count the
// bytes they hand out, so a benchmark can tell how much memory one operation
// needed at its peak. The simulated camera libraries allocate through the
// same operators, so their share is counted too; memory that C libraries
// (stdio buffers, libjpeg) take with malloc directly is not.

#include <cstddef>
#include <functional>

namespace vostrel::bench {

// Bytes allocated through operator new and not yet deleted.
std::size_t LiveHeapBytes();

// The highest number of live bytes while the action ran, above the number
// before it.
std::size_t PeakHeapGrowth(const std::function<void()>& action);

} // namespace vostrel::bench
