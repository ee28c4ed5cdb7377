#include "core/InstanceRegistry.h"

#include "core/DeviceLists.h"
#include "core/ECamException.h"

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <limits>
#include <mutex>
#include <type_traits>

namespace vostrel {

namespace InstanceRegistry {

// One per key, never freed. The key comes first: the EOS handlers read it as
// a 32-bit value at the address they were given.
struct Cell {
  std::int32_t Key = 0;
  // Null once the controller has withdrawn.
  TVostrel* Controller = nullptr;
  // Visits in progress, on any thread.
  std::size_t Visits = 0;
};

static_assert(std::is_standard_layout_v<Cell> && offsetof(Cell, Key) == 0);

namespace {

struct Registry {
  std::mutex Lock;
  std::condition_variable VisitEnded;
  // Indexed by key; a deque keeps the cells where they are as it grows.
  std::deque<Cell> Cells;
  std::size_t Living = 0;
};

// Never destroyed: an SDK thread may still call a handler while the process
// runs its exit code.
Registry& TheRegistry() {
  static Registry* const registry = new Registry;
  return *registry;
}

// The cell of a key that was never handed out.
constexpr std::int32_t NobodyKey = -1;

Cell* CellOf(Registry& registry, std::int32_t key) {
  if (key < 0 || static_cast<std::size_t>(key) >= registry.Cells.size()) {
    return nullptr;
  }
  return &registry.Cells[static_cast<std::size_t>(key)];
}

} // namespace

} // namespace InstanceRegistry

// The visits of the current thread, innermost first, so that a controller
// withdrawn from inside one of its own callbacks does not wait for itself.
struct TVisitChain {
  static thread_local const TControllerVisit* Innermost;

  static std::size_t CountOf(const InstanceRegistry::Cell* cell) {
    std::size_t count = 0;
    for (const TControllerVisit* visit = Innermost; visit != nullptr; visit = visit->Outer) {
      count += visit->Visited == cell ? 1 : 0;
    }
    return count;
  }
};

thread_local const TControllerVisit* TVisitChain::Innermost = nullptr;

namespace InstanceRegistry {

void Add(TVostrel* controller, std::int32_t& key) {
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.Lock);
  if (registry.Cells.size() >= static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
    throw ECamException("No more camera controls can be created in this program");
  }
  // The device lists live while any controller does; creating them under the
  // lock keeps a concurrent last removal from freeing lists that a new
  // controller has just counted on.
  CreateDeviceLists();
  key = static_cast<std::int32_t>(registry.Cells.size());
  registry.Cells.push_back(Cell{key, controller, 0});
  ++registry.Living;
}

void Withdraw(std::int32_t key) {
  Registry& registry = TheRegistry();
  Cell* cell = nullptr;
  {
    platform::BusyGuard busy(RegistryBusy());
    std::lock_guard lock(registry.Lock);
    cell = CellOf(registry, key);
    if (cell == nullptr || cell->Controller == nullptr) {
      return;
    }
    cell->Controller = nullptr;
    --registry.Living;
  }
  // No visit starts any more; wait for those of other threads to end.
  std::unique_lock lock(registry.Lock);
  const std::size_t own = TVisitChain::CountOf(cell);
  registry.VisitEnded.wait(lock, [&] { return cell->Visits <= own; });
}

void Remove(std::int32_t key) {
  Withdraw(key);
  platform::BusyGuard busy(RegistryBusy());
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.Lock);
  if (registry.Living == 0) {
    FreeDeviceLists();
  }
}

TVostrel* Find(std::int32_t key) {
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.Lock);
  const Cell* cell = CellOf(registry, key);
  return cell != nullptr ? cell->Controller : nullptr;
}

const std::int32_t* KeyAddress(std::int32_t key) {
  static constexpr std::int32_t nobody = NobodyKey;
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.Lock);
  const Cell* cell = CellOf(registry, key);
  return cell != nullptr ? &cell->Key : &nobody;
}

std::size_t LiveCount() {
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.Lock);
  return registry.Living;
}

platform::BusyFlag& RegistryBusy() {
  static platform::BusyFlag flag;
  return flag;
}

} // namespace InstanceRegistry

TControllerVisit::TControllerVisit(std::int32_t key) noexcept {
  InstanceRegistry::Registry& registry = InstanceRegistry::TheRegistry();
  std::lock_guard lock(registry.Lock);
  InstanceRegistry::Cell* cell = InstanceRegistry::CellOf(registry, key);
  if (cell == nullptr || cell->Controller == nullptr) {
    return;
  }
  ++cell->Visits;
  Visited = cell;
  Controller = cell->Controller;
  Outer = TVisitChain::Innermost;
  TVisitChain::Innermost = this;
}

TControllerVisit::~TControllerVisit() {
  if (Visited == nullptr) {
    return;
  }
  TVisitChain::Innermost = Outer;
  InstanceRegistry::Registry& registry = InstanceRegistry::TheRegistry();
  {
    std::lock_guard lock(registry.Lock);
    --Visited->Visits;
  }
  registry.VisitEnded.notify_all();
}

} // namespace vostrel
