#include "activex/com/ServerModule.h"

#include "eos/EDSDK.h"
#include "powershot_cd/CDAPI.h"
#include "powershot_pr/PRAPI.h"

#include <atomic>

namespace vostrel::com {

namespace {
std::atomic<long> LiveObjects{0};
std::atomic<long> ServerLocks{0};
} // namespace

void ObjectCreated() noexcept {
  ++LiveObjects;
}
void ObjectDestroyed() noexcept {
  --LiveObjects;
}

void LockServer(bool lock) noexcept {
  if (lock) {
    ++ServerLocks;
  } else {
    --ServerLocks;
  }
}

bool CameraSdkLoaded() noexcept {
  return edsdk::EDSDKLoaded() || prapi::PRSDKLoaded() || cdapi::CDSDKLoaded();
}

bool CanUnload() noexcept {
  return LiveObjects.load() == 0 && ServerLocks.load() <= 0 && !CameraSdkLoaded();
}

HMODULE ModuleHandle() noexcept {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                         GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&ModuleHandle), &module);
  return module;
}

std::wstring ModulePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD length = GetModuleFileNameW(ModuleHandle(), path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) {
      return {};
    }
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

HRESULT LoadOwnTypeLib(ITypeLib** typeLib) noexcept {
  if (typeLib == nullptr) {
    return E_POINTER;
  }
  *typeLib = nullptr;
  try {
    return LoadTypeLibEx(ModulePath().c_str(), REGKIND_NONE, typeLib);
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}

} // namespace vostrel::com
