#include "core/InstanceRegistry.h"

#include "core/DeviceLists.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <vector>

namespace vostrel::InstanceRegistry {

namespace {

struct Registry {
  std::mutex Lock;
  // Null when the registry does not exist; a null slot is an empty one.
  std::unique_ptr<std::vector<TVostrel*>> Slots;
};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

} // namespace

std::int32_t Add(TVostrel* controller) {
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.Lock);
  // The device lists live exactly as long as the registry; creating both
  // under the lock keeps a concurrent last removal from freeing lists that a
  // new controller has just counted on.
  CreateDeviceLists();
  if (!registry.Slots) {
    registry.Slots = std::make_unique<std::vector<TVostrel*>>();
  }
  registry.Slots->push_back(controller);
  return static_cast<std::int32_t>(registry.Slots->size() - 1);
}

void Remove(std::int32_t index) {
  platform::BusyGuard busy(RegistryBusy());
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.Lock);
  if (!registry.Slots) {
    return;
  }
  std::vector<TVostrel*>& slots = *registry.Slots;
  if (index >= 0 && static_cast<std::size_t>(index) < slots.size()) {
    slots[static_cast<std::size_t>(index)] = nullptr;
  }
  const bool allEmpty =
      std::all_of(slots.begin(), slots.end(), [](const TVostrel* slot) { return slot == nullptr; });
  if (allEmpty) {
    registry.Slots.reset();
    FreeDeviceLists();
  }
}

TVostrel* Find(std::int32_t index) {
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.Lock);
  if (!registry.Slots || index < 0 || static_cast<std::size_t>(index) >= registry.Slots->size()) {
    return nullptr;
  }
  return (*registry.Slots)[static_cast<std::size_t>(index)];
}

std::size_t SlotCount() {
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.Lock);
  return registry.Slots ? registry.Slots->size() : 0;
}

platform::BusyFlag& RegistryBusy() {
  static platform::BusyFlag flag;
  return flag;
}

} // namespace vostrel::InstanceRegistry
