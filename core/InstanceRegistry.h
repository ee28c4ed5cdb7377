#pragma once
// The process-wide registry through which an SDK callback finds its
// controller. Each controller takes the next free position when it is
// created; the position (its InstanceIndex) is the context that the backends
// hand to their SDKs. Positions are only appended and never reused while any
// controller exists, so a late callback carrying the key of a destroyed
// controller finds an empty slot and does nothing. When the last controller
// is destroyed the registry is freed together with the device lists, and the
// next controller starts again at position 0.
//
// Callbacks look controllers up from the SDKs' threads; every access to the
// slots is serialised by a lock.

#include "platform/BusyFlag.h"

#include <cstddef>
#include <cstdint>

namespace vostrel {

class TVostrel;

namespace InstanceRegistry {

// Appends a slot for the controller and returns its position. Creates the
// registry and the process-wide device lists when they do not exist.
std::int32_t Add(TVostrel* controller);

// Empties the controller's slot. Waits (in 50 ms polls) until no other
// controller is removing itself. When every slot is then empty, the registry
// and the device lists are freed.
void Remove(std::int32_t index);

// The controller at the position, or null for an empty slot or a position
// the registry does not have.
TVostrel* Find(std::int32_t index);

// Number of slots, empty ones included (0 when the registry does not exist).
std::size_t SlotCount();

// Held while a controller removes itself from the registry.
platform::BusyFlag& RegistryBusy();

} // namespace InstanceRegistry

} // namespace vostrel
