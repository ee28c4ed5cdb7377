#pragma once
// Owning references to COM interfaces: WRL's ComPtr, and Adopt for a
// reference that the caller already owns.

#include <windows.h>

#include <wrl/client.h>

namespace vostrel::com {

using Microsoft::WRL::ComPtr;

// Takes over a reference that the caller owns, such as a new object's first
// one, without adding a reference. The toolchain's ComPtr::Attach adds one
// of its own, so it cannot serve for that.
template <typename Interface>
ComPtr<Interface> Adopt(Interface* owned) noexcept {
  ComPtr<Interface> reference;
  *reference.GetAddressOf() = owned;
  return reference;
}

} // namespace vostrel::com
