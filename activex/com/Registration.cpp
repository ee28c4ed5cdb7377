#include "activex/com/Registration.h"

#include "activex/com/ComErrors.h"
#include "activex/com/ServerModule.h"

#include "VostrelActiveXXControl1_TLB.h"

#include <oleauto.h>
#include <wrl/client.h>

#include <string>

namespace vostrel::com {

namespace {

constexpr wchar_t ClassDescription[] = L"VostrelActiveXX Control";

std::wstring GuidText(REFGUID guid) {
  wchar_t text[40] = {};
  StringFromGUID2(guid, text, 40);
  return text;
}

std::wstring ClassKey() {
  return L"CLSID\\" + GuidText(CLSID_VostrelActiveXX);
}

// Writes the default value (or the named one) of a key under
// HKEY_CLASSES_ROOT, creating the key.
LONG WriteValue(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
  HKEY handle = nullptr;
  LONG result = RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                                &handle, nullptr);
  if (result != ERROR_SUCCESS) {
    return result;
  }
  result = RegSetValueExW(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(handle);
  return result;
}

struct TypeLibIdentity {
  GUID guid;
  WORD major;
  WORD minor;
  LCID locale;
  SYSKIND system;
};

HRESULT ReadTypeLibIdentity(ITypeLib& typeLib, TypeLibIdentity& identity) {
  TLIBATTR* attributes = nullptr;
  const HRESULT result = typeLib.GetLibAttr(&attributes);
  if (FAILED(result)) {
    return result;
  }
  identity = {attributes->guid, attributes->wMajorVerNum, attributes->wMinorVerNum,
              attributes->lcid, attributes->syskind};
  typeLib.ReleaseTLibAttr(attributes);
  return S_OK;
}

HRESULT WriteClassKeys(const std::wstring& modulePath) {
  const std::wstring classKey = ClassKey();
  const std::wstring classId = GuidText(CLSID_VostrelActiveXX);
  const std::wstring progId = ProgID;
  const std::pair<std::wstring, std::pair<const wchar_t*, std::wstring>> values[] = {
      {classKey, {nullptr, ClassDescription}},
      {classKey + L"\\InprocServer32", {nullptr, modulePath}},
      {classKey + L"\\InprocServer32", {L"ThreadingModel", L"Apartment"}},
      {classKey + L"\\ProgID", {nullptr, progId}},
      {classKey + L"\\VersionIndependentProgID", {nullptr, progId}},
      {classKey + L"\\Control", {nullptr, L""}},
      {classKey + L"\\ToolboxBitmap32", {nullptr, modulePath + L",1"}},
      {classKey + L"\\MiscStatus", {nullptr, L"0"}},
      {classKey + L"\\TypeLib", {nullptr, GuidText(LIBID_VostrelActiveXXControl1)}},
      {classKey + L"\\Version", {nullptr, L"1.0"}},
      {progId, {nullptr, ClassDescription}},
      {progId + L"\\CLSID", {nullptr, classId}},
  };
  for (const auto& [key, value] : values) {
    const LONG result = WriteValue(key, value.first, value.second);
    if (result != ERROR_SUCCESS) {
      return HRESULT_FROM_WIN32(result);
    }
  }
  return S_OK;
}

// The registry view of the control's other width: the 32-bit one from the
// x64 build, the 64-bit one from the x86 build (which 32-bit Windows
// ignores, so that the control's own view is read there).
constexpr REGSAM OtherWidthsView = sizeof(void*) == 8 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;

// Whether the control of the other width is registered. Both widths share
// the class identifier, and the programmatic identifier lives in a part of
// the registry both views share.
bool OtherWidthRegistered() {
  HKEY handle = nullptr;
  const std::wstring key = ClassKey() + L"\\InprocServer32";
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_QUERY_VALUE | OtherWidthsView,
                    &handle) != ERROR_SUCCESS) {
    return false;
  }
  RegCloseKey(handle);
  return true;
}

// Removes this width's class and, unless the other width's control still
// answers to it, the programmatic identifier.
void DeleteClassKeys() {
  RegDeleteTreeW(HKEY_CLASSES_ROOT, ClassKey().c_str());
  if (!OtherWidthRegistered()) {
    RegDeleteTreeW(HKEY_CLASSES_ROOT, ProgID);
  }
}

} // namespace

HRESULT RegisterServer() noexcept {
  try {
    const std::wstring modulePath = ModulePath();
    Microsoft::WRL::ComPtr<ITypeLib> typeLib;
    HRESULT result = LoadOwnTypeLib(typeLib.GetAddressOf());
    if (FAILED(result)) {
      return result;
    }
    // The help folder is the control's own, written as the installer
    // package writes it (with its trailing separator).
    const std::wstring folder = modulePath.substr(0, modulePath.find_last_of(L"\\/") + 1);
    result = RegisterTypeLib(typeLib.Get(), const_cast<OLECHAR*>(modulePath.c_str()),
                             const_cast<OLECHAR*>(folder.c_str()));
    if (FAILED(result)) {
      return result;
    }
    result = WriteClassKeys(modulePath);
    if (FAILED(result)) {
      UnregisterServer();
    }
    return result;
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}

HRESULT UnregisterServer() noexcept {
  try {
    DeleteClassKeys();
    Microsoft::WRL::ComPtr<ITypeLib> typeLib;
    if (SUCCEEDED(LoadOwnTypeLib(typeLib.GetAddressOf()))) {
      TypeLibIdentity identity{};
      if (SUCCEEDED(ReadTypeLibIdentity(*typeLib.Get(), identity))) {
        UnRegisterTypeLib(identity.guid, identity.major, identity.minor, identity.locale,
                          identity.system);
      }
    }
    return S_OK;
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}

} // namespace vostrel::com
