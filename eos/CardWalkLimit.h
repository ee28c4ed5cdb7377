#pragma once
// The most files and folders that the card walk of an EOS camera lists. A
// faulty SDK may report a folder cycle or an endless child count; the walk
// then ends with ECamException instead of growing without limit. The bound
// is far beyond what a camera writes to a card.

#include <cstdint>

namespace vostrel::edsdk {

inline constexpr std::uint64_t DefaultMaximumCardEntries = 1'000'000;

// The bound in force.
std::uint64_t MaximumCardEntries() noexcept;

// Lowers (or raises) the bound for its lifetime, so that tests need no card
// of a million entries.
class ScopedMaximumCardEntries {
public:
  explicit ScopedMaximumCardEntries(std::uint64_t maximum) noexcept;
  ~ScopedMaximumCardEntries();
  ScopedMaximumCardEntries(const ScopedMaximumCardEntries&) = delete;
  ScopedMaximumCardEntries& operator=(const ScopedMaximumCardEntries&) = delete;

private:
  std::uint64_t previous_;
};

} // namespace vostrel::edsdk
