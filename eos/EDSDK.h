#pragma once
// Binding of EDSDK.DLL: the library is loaded once, by name, and its 50 entry
// points are resolved by name in a fixed order. The library stays loaded for
// the life of the module and is freed when the module shuts down.
//
// Every entry point is an EntryPoint object named after the SDK function
// (vostrel::edsdk::EdsOpenSession, ...). An entry point that is not bound is
// never called: calling it raises ECamException instead.

#include "eos/EDSDKERRORS.h"
#include "eos/EDSDKTYPES.h"

#include <string>

namespace vostrel::edsdk {

// Loads EDSDK.DLL and binds its entry points; returns at once after a
// successful load. A library that cannot be found leaves the binding unloaded
// without an error, so a later call tries again. A library that lacks one of
// the exports raises "Assertion failure ..." naming this unit and the missing
// function; the binding then counts as loaded and the entry points from the
// missing one on stay unbound.
void LoadEDSDK();

// True once EDSDK.DLL has been loaded.
bool EDSDKLoaded() noexcept;

// The untyped part of an entry point: its name and the address it is bound to.
class EntryPointSlot {
public:
  explicit constexpr EntryPointSlot(const char* name) noexcept : name_(name) {}
  EntryPointSlot(const EntryPointSlot&) = delete;
  EntryPointSlot& operator=(const EntryPointSlot&) = delete;

  const char* name() const noexcept { return name_; }
  bool bound() const noexcept { return address_ != nullptr; }
  void bind(void* address) noexcept { address_ = address; }

protected:
  // The bound address; raises when the entry point is not bound.
  void* require() const;

private:
  const char* name_;
  void* address_ = nullptr;
};

// One bound SDK function of type Fn (a function-pointer type).
template <typename Fn>
class EntryPoint final : public EntryPointSlot {
public:
  using EntryPointSlot::EntryPointSlot;

  // Calls the function and returns its result as it is.
  template <typename... Args>
  EdsError operator()(Args... args) const {
    return reinterpret_cast<Fn>(require())(args...);
  }

  // Calls the function and raises a non-zero result through CheckEdsError.
  template <typename... Args>
  void checked(Args... args) const {
    raiseOnError((*this)(args...));
  }

private:
  void raiseOnError(EdsError result) const;
};

#define VOSTREL_EDSDK_DECLARE_ENTRY_POINT(number, name, result, parameters)                        \
  extern EntryPoint<::name##Fn> name;
EDSDK_ENTRY_POINTS(VOSTREL_EDSDK_DECLARE_ENTRY_POINT)
#undef VOSTREL_EDSDK_DECLARE_ENTRY_POINT

template <typename Fn>
void EntryPoint<Fn>::raiseOnError(EdsError result) const {
  if (result != 0) {
    CheckEdsError(result, name());
  }
}

} // namespace vostrel::edsdk
