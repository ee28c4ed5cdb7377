// Libraries on Windows: LoadLibrary and friends.

#include "platform/Native.h"

#include <windows.h>

#include <cstdint>

namespace vostrel::platform::native {

namespace {

// No "cannot find file" message box while a library is looked for.
constexpr UINT NoOpenFileErrorBox = 0x8000;

// Sets the process error mode for the lifetime of this object.
class ScopedErrorMode {
public:
  explicit ScopedErrorMode(UINT mode) : previous_(SetErrorMode(mode)) {}
  ~ScopedErrorMode() { SetErrorMode(previous_); }
  ScopedErrorMode(const ScopedErrorMode&) = delete;
  ScopedErrorMode& operator=(const ScopedErrorMode&) = delete;

private:
  UINT previous_;
};

} // namespace

void* loadLibrary(const std::string& pathOrName) {
  ScopedErrorMode errorMode(NoOpenFileErrorBox);
  // A library given with its folder finds the libraries it depends on in its
  // own folder too, as it would next to the host program.
  const DWORD flags = hasFolderPart(pathOrName) ? LOAD_WITH_ALTERED_SEARCH_PATH : 0;
  HMODULE module = LoadLibraryExA(pathOrName.c_str(), nullptr, flags);
  // Handles below 32 are error codes of the old loader, never a library.
  if (reinterpret_cast<std::uintptr_t>(module) < 32) {
    return nullptr;
  }
  return module;
}

void* librarySymbol(void* library, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void freeLibrary(void* library) {
  FreeLibrary(static_cast<HMODULE>(library));
}

std::string ownModuleFileName() {
  // The module that holds this code: the control's library when the core is
  // linked into one, not the program that loaded it.
  static const char anchor = 0;
  HMODULE module = nullptr;
  if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                              GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          &anchor, &module)) {
    return {};
  }
  std::string name(MAX_PATH, '\0');
  for (;;) {
    const DWORD length = GetModuleFileNameA(module, name.data(), static_cast<DWORD>(name.size()));
    if (length == 0) {
      return {};
    }
    if (length < name.size()) {
      name.resize(length);
      return name;
    }
    name.resize(name.size() * 2);
  }
}

} // namespace vostrel::platform::native
