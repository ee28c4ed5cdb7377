#include "bench/HeapCounter.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <new>

#include <malloc.h>

namespace vostrel::bench {

namespace {

std::atomic<std::size_t> Live{0};
std::atomic<std::size_t> Peak{0};

void* Allocate(std::size_t size, std::size_t alignment) {
  size = std::max<std::size_t>(size, 1);
  void* block = nullptr;
  if (alignment <= alignof(std::max_align_t)) {
    block = std::malloc(size);
  } else if (posix_memalign(&block, alignment, size) != 0) {
    block = nullptr;
  }
  if (block != nullptr) {
    const std::size_t live = Live.fetch_add(malloc_usable_size(block)) + malloc_usable_size(block);
    std::size_t peak = Peak.load();
    while (live > peak && !Peak.compare_exchange_weak(peak, live)) {
    }
  }
  return block;
}

void* AllocateOrThrow(std::size_t size, std::size_t alignment) {
  if (void* block = Allocate(size, alignment)) {
    return block;
  }
  throw std::bad_alloc();
}

void Release(void* block) noexcept {
  if (block != nullptr) {
    Live.fetch_sub(malloc_usable_size(block));
    std::free(block);
  }
}

constexpr std::size_t Plain = alignof(std::max_align_t);

std::size_t Of(std::align_val_t alignment) {
  return static_cast<std::size_t>(alignment);
}

} // namespace

std::size_t LiveHeapBytes() {
  return Live.load();
}

std::size_t PeakHeapGrowth(const std::function<void()>& action) {
  const std::size_t before = Live.load();
  Peak.store(before);
  action();
  // The peak starts at `before` and only rises.
  return Peak.load() - before;
}

} // namespace vostrel::bench

using vostrel::bench::Allocate;
using vostrel::bench::AllocateOrThrow;
using vostrel::bench::Of;
using vostrel::bench::Plain;
using vostrel::bench::Release;

void* operator new(std::size_t size) {
  return AllocateOrThrow(size, Plain);
}
void* operator new[](std::size_t size) {
  return AllocateOrThrow(size, Plain);
}
void* operator new(std::size_t size, std::align_val_t alignment) {
  return AllocateOrThrow(size, Of(alignment));
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
  return AllocateOrThrow(size, Of(alignment));
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return Allocate(size, Plain);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return Allocate(size, Plain);
}
void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
  return Allocate(size, Of(alignment));
}
void* operator new[](std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
  return Allocate(size, Of(alignment));
}

void operator delete(void* block) noexcept {
  Release(block);
}
void operator delete[](void* block) noexcept {
  Release(block);
}
void operator delete(void* block, std::size_t) noexcept {
  Release(block);
}
void operator delete[](void* block, std::size_t) noexcept {
  Release(block);
}
void operator delete(void* block, std::align_val_t) noexcept {
  Release(block);
}
void operator delete[](void* block, std::align_val_t) noexcept {
  Release(block);
}
void operator delete(void* block, std::size_t, std::align_val_t) noexcept {
  Release(block);
}
void operator delete[](void* block, std::size_t, std::align_val_t) noexcept {
  Release(block);
}
void operator delete(void* block, const std::nothrow_t&) noexcept {
  Release(block);
}
void operator delete[](void* block, const std::nothrow_t&) noexcept {
  Release(block);
}
void operator delete(void* block, std::align_val_t, const std::nothrow_t&) noexcept {
  Release(block);
}
void operator delete[](void* block, std::align_val_t, const std::nothrow_t&) noexcept {
  Release(block);
}
