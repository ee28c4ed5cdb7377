#pragma once
// Binding of PRSDK.DLL: the library is loaded once, by name, and its 25 entry
// points are resolved by name in a fixed order. The library stays loaded for
// the life of the module and is freed when the module shuts down.
//
// Every entry point is an EntryPoint object named after the SDK function
// (vostrel::prapi::PR_ConnectCamera, ...). An entry point that is not bound
// is never called: calling it raises ECamException instead.

#include "core/SdkBinding.h"
#include "powershot_pr/PRERROR.h"
#include "powershot_pr/PRTYPE.h"

namespace vostrel::prapi {

// Loads PRSDK.DLL and binds its entry points; returns at once after a
// successful load. A library that cannot be found leaves the binding unloaded
// without an error, so a later call tries again. A library that lacks one of
// the exports raises "Assertion failure ..." naming this unit and the missing
// function; the binding then counts as loaded and the entry points from the
// missing one on stay unbound.
void LoadPRSDK();

// True once PRSDK.DLL has been loaded.
bool PRSDKLoaded() noexcept;

using sdk::EntryPointSlot;

// One bound PR function of type Fn, checked by CheckPRError.
template <typename Fn>
using EntryPoint = sdk::EntryPoint<Fn, &CheckPRError>;

#define VOSTREL_PRAPI_DECLARE_ENTRY_POINT(number, name, result, parameters)                        \
  extern EntryPoint<::vostrel::name##Fn> name;
PRSDK_ENTRY_POINTS(VOSTREL_PRAPI_DECLARE_ENTRY_POINT)
#undef VOSTREL_PRAPI_DECLARE_ENTRY_POINT

} // namespace vostrel::prapi
