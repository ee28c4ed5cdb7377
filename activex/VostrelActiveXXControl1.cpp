// Entry points of the control library VostrelActiveXXControl1: the class
// factory of VostrelActiveXX, the unload check and self-registration.

#include "activex/VostrelActiveXImpl1.h"
#include "activex/com/Registration.h"
#include "activex/com/ServerModule.h"

#include "VostrelActiveXXControl1_TLB.h"

#include <windows.h>

#include <unknwn.h>

namespace vostrel::com {

namespace {

// The one class factory of the library. It lives as long as the library;
// its references do not keep the library loaded, LockServer does.
class TVostrelActiveXXFactory final : public IClassFactory {
public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) {
      return E_POINTER;
    }
    if (iid == IID_IUnknown || iid == IID_IClassFactory) {
      *object = static_cast<IClassFactory*>(this);
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
    if (object == nullptr) {
      return E_POINTER;
    }
    *object = nullptr;
    if (outer != nullptr) {
      return CLASS_E_NOAGGREGATION;
    }
    return TVostrelActiveXX::Create(iid, object);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    com::LockServer(lock != FALSE);
    return S_OK;
  }
};

TVostrelActiveXXFactory Factory;

} // namespace

} // namespace vostrel::com

extern "C" {

HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID classId, REFIID iid, void** object) {
  if (object == nullptr) {
    return E_POINTER;
  }
  *object = nullptr;
  if (classId != CLSID_VostrelActiveXX) {
    return CLASS_E_CLASSNOTAVAILABLE;
  }
  return vostrel::com::Factory.QueryInterface(iid, object);
}

// Not while an object lives or a lock is held, nor once a camera SDK library
// was loaded: a released control may leave SDK sessions open, whose
// handlers point into this library.
HRESULT STDAPICALLTYPE DllCanUnloadNow() {
  return vostrel::com::CanUnload() ? S_OK : S_FALSE;
}

HRESULT STDAPICALLTYPE DllRegisterServer() {
  return vostrel::com::RegisterServer();
}

HRESULT STDAPICALLTYPE DllUnregisterServer() {
  return vostrel::com::UnregisterServer();
}

} // extern "C"
