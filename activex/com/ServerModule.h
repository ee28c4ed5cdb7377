#pragma once
// The library as a COM server: the count of live objects and of class
// factory locks that decides DllCanUnloadNow, the library's own module and
// its embedded type library.

#include <windows.h>

#include <oaidl.h>

#include <string>

namespace vostrel::com {

// Every COM object of the library holds one object count for its lifetime.
void ObjectCreated() noexcept;
void ObjectDestroyed() noexcept;
// IClassFactory::LockServer.
void LockServer(bool lock) noexcept;
// True when no object is alive and no lock is held.
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
