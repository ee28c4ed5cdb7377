#pragma once
// Binding of EDSDK.DLL: the library is loaded once, by name, and its 50 entry
// points are resolved by name in a fixed order. The library stays loaded for
// the life of the module and is freed when the module shuts down.
//
// Every entry point is an EntryPoint object named after the SDK function
// (vostrel::edsdk::EdsOpenSession, ...). An entry point that is not bound is
// never called: calling it raises ECamException instead.

#include "core/SdkBinding.h"
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

using sdk::EntryPointSlot;

// One bound EDSDK function of type Fn, checked by CheckEdsError.
template <typename Fn>
using EntryPoint = sdk::EntryPoint<Fn, &CheckEdsError>;

#define VOSTREL_EDSDK_DECLARE_ENTRY_POINT(number, name, result, parameters)                        \
  extern EntryPoint<::name##Fn> name;
EDSDK_ENTRY_POINTS(VOSTREL_EDSDK_DECLARE_ENTRY_POINT)
#undef VOSTREL_EDSDK_DECLARE_ENTRY_POINT

} // namespace vostrel::edsdk
