#pragma once
// Common ground of the COM server tests: the control library loaded from
// the test's own folder and registered through its own DllRegisterServer,
// COM initialised on the test thread, late-bound calls by member name, an
// event sink that records what it receives, and the simulated EDSDK.DLL
// that the library loads from the same folder.

#include "activex/com/BstrText.h"
#include "activex/com/ComPtr.h"
#include "sim/SimControlClient.h"

#include "VostrelActiveXXControl1_TLB.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <ocidl.h>
#include <olectl.h>

#include <cstdint>
#include <functional>
#include <string>
#include <variant>
#include <vector>

namespace vostrel::test {

// A VARIANT that clears itself.
struct Variant : VARIANT {
  Variant() { VariantInit(this); }
  explicit Variant(std::int32_t value) : Variant() {
    vt = VT_I4;
    lVal = value;
  }
  explicit Variant(const wchar_t* text) : Variant() {
    vt = VT_BSTR;
    bstrVal = SysAllocString(text);
  }
  static Variant Bool(bool value) {
    Variant v;
    v.vt = VT_BOOL;
    v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    return v;
  }
  Variant(const Variant& other) : Variant() { VariantCopy(this, const_cast<Variant*>(&other)); }
  Variant& operator=(const Variant& other) {
    VariantCopy(this, const_cast<Variant*>(&other));
    return *this;
  }
  ~Variant() { VariantClear(this); }
};

std::wstring Text(BSTR value);

// The outcome of one IDispatch::Invoke.
struct DispatchOutcome {
  HRESULT result = E_FAIL;
  Variant value;
  SCODE scode = 0;
  std::wstring description;
  std::wstring source;
};

// The library's entry points, resolved from the library that COM loads.
struct ServerEntryPoints {
  HRESULT(STDAPICALLTYPE* GetClassObject)(REFCLSID, REFIID, void**) = nullptr;
  HRESULT(STDAPICALLTYPE* CanUnloadNow)() = nullptr;
  HRESULT(STDAPICALLTYPE* RegisterServer)() = nullptr;
  HRESULT(STDAPICALLTYPE* UnregisterServer)() = nullptr;
};

class RecordingSink;

class ComServer : public ::testing::Test {
public:
  static void SetUpTestSuite();
  static void TearDownTestSuite();

protected:
  void SetUp() override;
  void TearDown() override;

  static const ServerEntryPoints& Server() { return entryPoints; }
  // The folder of the test program, with its trailing separator: the
  // control, the simulated libraries and the sample scripts are there.
  static std::wstring ProgramFolder();
  static std::wstring LibraryPath();
  static sim::SimControlClient& Sim();

  // A new object, created by ProgID as a host creates it; the fixture holds
  // it until TearDown.
  IVostrelActiveXX* CreateObject();
  // Looks the member up by name and invokes it with the arguments in
  // declaration order.
  static DispatchOutcome Call(IDispatch* object, const wchar_t* member,
                              std::vector<Variant> arguments = {},
                              WORD flags = DISPATCH_METHOD | DISPATCH_PROPERTYGET);
  // Dispatches every message waiting for this thread.
  static void PumpMessages();
  // Dispatches this thread's messages until the sink holds `count` events of
  // the DISPID; false after ten seconds.
  static bool PumpUntil(const RecordingSink& sink, DISPID id, std::size_t count);
  // Dispatches this thread's messages until `done` holds; false after ten
  // seconds.
  static bool PumpUntil(const std::function<bool()>& done);

  // Objects created by the test, released in TearDown.
  std::vector<com::ComPtr<IUnknown>> objects;

private:
  static HMODULE library;
  static ServerEntryPoints entryPoints;
};

// An event sink that records each event's DISPID and its arguments in
// declaration order (integers, or strings).
class RecordingSink final : public IDispatch {
public:
  struct Event {
    DISPID id;
    std::vector<std::variant<std::int32_t, std::wstring>> arguments;
  };
  std::vector<Event> events;
  DWORD threadOfLastEvent = 0;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
  ULONG STDMETHODCALLTYPE Release() override { return --references; }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID, WORD, DISPPARAMS* parameters,
                                   VARIANT*, EXCEPINFO*, UINT*) override;

  // The sink lives on the test's stack; the count shows the references the
  // object still holds.
  ULONG references = 0;
};

// Connects the sink to the object's event connection point; returns the
// cookie.
DWORD Advise(IUnknown* object, IDispatch* sink);
void Unadvise(IUnknown* object, DWORD cookie);

// A scenario of one simulated EOS camera.
std::string OneEOSCameraScenario();
// One simulated EOS camera whose card holds JPEG and RAW pictures in two
// folders: 100EOS/IMG_0001.JPG, 100EOS/IMG_0002.CR2, 101EOS/IMG_0003.CR2
// (shot with the camera's white-balance code 3 at 3200 K) and
// 101EOS/IMG_0004.JPG.
std::string CardEOSCameraScenario();

// Captures the client area of the window (in-process, from its device
// context) and keeps it as a 24-bit BMP file in the folder "artifacts" beside
// the test program. Returns the file's path, or an empty string when the
// capture failed.
std::string SaveWindowScreenshot(HWND window, const std::string& name);

} // namespace vostrel::test
