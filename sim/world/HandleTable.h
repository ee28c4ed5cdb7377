#pragma once
// Opaque references handed to the host, with reference counts. A reference
// is a pointer-sized value made from a serial number that is never reused,
// so a released reference stays invalid for good and never reaches another
// object. Not locked: the owner serialises access.

#include <cstdint>
#include <memory>
#include <unordered_map>

namespace vostrel::sim {

template <typename Object>
class HandleTable {
public:
  // A new reference to the object with a count of 1.
  void* add(std::shared_ptr<Object> object) {
    const std::uintptr_t id = nextId_++;
    slots_.emplace(id, Slot{std::move(object), 1});
    return reinterpret_cast<void*>(Base + id * Stride);
  }

  // The object of a live reference, or null.
  std::shared_ptr<Object> find(void* reference) const {
    const auto found = slots_.find(idOf(reference));
    return found == slots_.end() ? nullptr : found->second.object;
  }

  // False for a reference that is not live.
  bool retain(void* reference) {
    const auto found = slots_.find(idOf(reference));
    if (found == slots_.end()) {
      return false;
    }
    ++found->second.count;
    return true;
  }

  // Frees the reference when its count reaches 0; false when not live.
  bool release(void* reference) {
    const auto found = slots_.find(idOf(reference));
    if (found == slots_.end()) {
      return false;
    }
    if (--found->second.count == 0) {
      slots_.erase(found);
    }
    return true;
  }

  // The serial number of a reference (0 for a value no reference has).
  static std::uintptr_t idOf(void* reference) {
    const auto value = reinterpret_cast<std::uintptr_t>(reference);
    if (value < Base + Stride || (value - Base) % Stride != 0) {
      return 0;
    }
    return (value - Base) / Stride;
  }

  std::size_t size() const { return slots_.size(); }
  // Forgets every reference; their serial numbers stay used.
  void clear() { slots_.clear(); }

private:
  static constexpr std::uintptr_t Base = 0x10000;
  static constexpr std::uintptr_t Stride = 16;

  struct Slot {
    std::shared_ptr<Object> object;
    std::uint32_t count;
  };

  std::unordered_map<std::uintptr_t, Slot> slots_;
  std::uintptr_t nextId_ = 1;
};

} // namespace vostrel::sim
