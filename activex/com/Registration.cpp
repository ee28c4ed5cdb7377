#include "activex/com/Registration.h"

#include "activex/com/ComErrors.h"
#include "activex/com/ServerModule.h"

#include "VostrelActiveXXControl1_TLB.h"

#include <oleauto.h>

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

void DeleteClassKeys() {
  RegDeleteTreeW(HKEY_CLASSES_ROOT, ClassKey().c_str());
  RegDeleteTreeW(HKEY_CLASSES_ROOT, ProgID);
}

} // namespace

HRESULT RegisterServer() noexcept {
  try {
    const std::wstring modulePath = ModulePath();
    ITypeLib* typeLib = nullptr;
    HRESULT result = LoadOwnTypeLib(&typeLib);
    if (FAILED(result)) {
      return result;
    }
    // The help folder is the control's own, written as the installer
    // package writes it (with its trailing separator).
    const std::wstring folder = modulePath.substr(0, modulePath.find_last_of(L"\\/") + 1);
    result = RegisterTypeLib(typeLib, const_cast<OLECHAR*>(modulePath.c_str()),
                             const_cast<OLECHAR*>(folder.c_str()));
    typeLib->Release();
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
    ITypeLib* typeLib = nullptr;
    if (SUCCEEDED(LoadOwnTypeLib(&typeLib))) {
      TypeLibIdentity identity{};
      if (SUCCEEDED(ReadTypeLibIdentity(*typeLib, identity))) {
        UnRegisterTypeLib(identity.guid, identity.major, identity.minor, identity.locale,
                          identity.system);
      }
      typeLib->Release();
    }
    return S_OK;
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}

} // namespace vostrel::com
