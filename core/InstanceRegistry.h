#pragma once
// The process-wide registry through which an SDK callback finds its
// controller. Each controller gets a key when it is created (its
// InstanceIndex), the context that the backends hand to their SDKs.
//
// An SDK may call a handler at any time, also after the controller that
// registered it is gone, and keeps whatever context it was given. So:
//   - keys are never reused within the process: a late callback carrying
//     the key of a destroyed controller finds nobody, not a newer
//     controller;
//   - every key has a cell holding the 32-bit key, and the cells live as
//     long as the process; the EOS SDK gets the cell's address as context;
//   - a callback holds its controller through a TControllerVisit, and a
//     controller that removes itself waits until the visits of other
//     threads have ended, so no handler runs on a freed controller.
//
// The process-wide device lists come into being with the first living
// controller and are freed when the last one goes.

#include "platform/BusyFlag.h"

#include <cstddef>
#include <cstdint>

namespace vostrel {

class TVostrel;

namespace InstanceRegistry {

struct Cell;

// Registers the controller under a new key, which is stored in `key` before
// any callback can find the controller. Creates the process-wide device
// lists when they do not exist.
void Add(TVostrel* controller, std::int32_t& key);

// Empties the key's cell: from now on no callback reaches the controller.
// Waits (in 50 ms polls) until no other controller is removing itself, then
// until the callbacks running on other threads for this controller have
// ended. A callback of this controller further up the caller's own stack is
// not waited for.
void Withdraw(std::int32_t key);

// Withdraws the controller if that is not done yet; when no controller is
// left, the device lists are freed.
void Remove(std::int32_t key);

// The controller registered under the key, or null for a withdrawn or
// unknown key. Only for the thread that owns the controller; a callback
// uses TControllerVisit.
TVostrel* Find(std::int32_t key);

// Address of the key's 32-bit cell, valid for the life of the process (an
// unknown key gives a cell that finds nobody).
const std::int32_t* KeyAddress(std::int32_t key);

// Number of controllers registered and not withdrawn.
std::size_t LiveCount();

// Held while a controller removes itself from the registry.
platform::BusyFlag& RegistryBusy();

} // namespace InstanceRegistry

// The controller registered under a key, held for the life of the visit:
// the controller cannot finish withdrawing while another thread visits it.
// Empty when the key finds nobody.
class TControllerVisit {
public:
  explicit TControllerVisit(std::int32_t key) noexcept;
  ~TControllerVisit();
  TControllerVisit(const TControllerVisit&) = delete;
  TControllerVisit& operator=(const TControllerVisit&) = delete;

  explicit operator bool() const { return Controller != nullptr; }
  TVostrel* operator->() const { return Controller; }
  TVostrel& operator*() const { return *Controller; }
  TVostrel* get() const { return Controller; }

private:
  friend struct TVisitChain;

  InstanceRegistry::Cell* Visited = nullptr;
  TVostrel* Controller = nullptr;
  // The visit of this thread that this one is nested in.
  const TControllerVisit* Outer = nullptr;
};

} // namespace vostrel
