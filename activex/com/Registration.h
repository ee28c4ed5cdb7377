#pragma once
// Self-registration of the control library: the class as an ActiveX control
// (in-process server with the apartment threading model, ProgID and its
// version-independent form, toolbox bitmap 1, miscellaneous status 0, type
// library and version) and the embedded type library. Unregistration
// removes all of it.

#include <windows.h>

namespace vostrel::com {

HRESULT RegisterServer() noexcept;
HRESULT UnregisterServer() noexcept;

} // namespace vostrel::com
