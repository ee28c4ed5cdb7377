#pragma once
// The library as a COM server: the count of live objects and of class
// factory locks and the camera SDK libraries that decide DllCanUnloadNow,
// the library's own module and its embedded type library.

#include <windows.h>

#include <oaidl.h>

#include <string>

namespace vostrel::com {

// Every COM object of the library holds one object count for its lifetime.
void ObjectCreated() noexcept;
void ObjectDestroyed() noexcept;
// IClassFactory::LockServer.
void LockServer(bool lock) noexcept;
// True once this library has loaded any camera SDK library. The SDK
// libraries are process-wide and stay loaded for the life of this module:
// a control released while connected leaves its SDK session open, and an
// SDK may still call handlers in this module from its own threads, so
// unloading this module would free the SDK libraries under them.
bool CameraSdkLoaded() noexcept;
// True when no object is alive, no lock is held and no camera SDK library
// was loaded.
bool CanUnload() noexcept;

// The library's own module, found from an address inside it, so the answer
// is this library even when a test program links the same code.
HMODULE ModuleHandle() noexcept;
std::wstring ModulePath();

// The type library embedded in this module as resource TYPELIB 1, loaded
// from the module's own path without registering it, so dispatch works
// before and without registration. The caller owns the returned reference.
HRESULT LoadOwnTypeLib(ITypeLib** typeLib) noexcept;

} // namespace vostrel::com
