#pragma once
// Binding of CDSDK.DLL: the library is loaded once, by name, and its 153
// entry points are resolved by name in a fixed order. The library stays
// loaded for the life of the module and is freed when the module shuts down.
//
// Every entry point is an EntryPoint object named after the SDK function
// (vostrel::cdapi::CDOpenSource, ...); CDGetReleaseControlFaculty is the
// export _CDGetReleaseControlFaculty@8. An entry point that is not bound is
// never called: calling it raises ECamException instead.

#include "core/SdkBinding.h"
#include "powershot_cd/CDERRORCODES.h"
#include "powershot_cd/CDTYPE.h"

#include <stdexcept>

namespace vostrel::cdapi {

// The input/output error of a library that cannot be loaded; not an
// ECamException.
class EInOutError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// Loads CDSDK.DLL and binds its entry points; returns at once after a
// successful load. A library that cannot be loaded raises EInOutError
// "CDSDK.DLL could not be loaded" and leaves the binding unloaded, so a later
// call tries again. A library that lacks one of the exports raises
// "Assertion failure ..." naming this unit and the missing function; the
// binding then counts as loaded and the entry points from the missing one on
// stay unbound.
void LoadCDSDK();

// True once CDSDK.DLL has been loaded.
bool CDSDKLoaded() noexcept;

using sdk::EntryPointSlot;

// One bound CD function of type Fn, checked by CheckCDError.
template <typename Fn>
using EntryPoint = sdk::EntryPoint<Fn, &CheckCDError>;

#define VOSTREL_CDAPI_DECLARE_ENTRY_POINT(number, name, exportName, parameters, arguments)         \
  extern EntryPoint<::vostrel::name##Fn> name;
CDSDK_ENTRY_POINTS(VOSTREL_CDAPI_DECLARE_ENTRY_POINT)
#undef VOSTREL_CDAPI_DECLARE_ENTRY_POINT

} // namespace vostrel::cdapi
