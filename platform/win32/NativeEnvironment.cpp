// The process environment on Windows, through the system's own block (which
// the hosts and the SDKs see), not the C runtime's copy.

#include "platform/Native.h"

#include <windows.h>

#include <system_error>

namespace vostrel::platform::native {

std::optional<std::string> getEnvironment(const std::string& name) {
  std::string value(64, '\0');
  for (;;) {
    SetLastError(ERROR_SUCCESS);
    const DWORD length =
        GetEnvironmentVariableA(name.c_str(), value.data(), static_cast<DWORD>(value.size()));
    if (length == 0) {
      if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) {
        return std::nullopt;
      }
      return std::string();
    }
    if (length < value.size()) {
      value.resize(length);
      return value;
    }
    // Too small: length is the size needed, terminating zero included.
    value.resize(length);
  }
}

void setEnvironment(const std::string& name, const std::optional<std::string>& value) {
  if (!SetEnvironmentVariableA(name.c_str(), value ? value->c_str() : nullptr)) {
    const DWORD error = GetLastError();
    // Removing a variable that is not there leaves the wanted state.
    if (!value && error == ERROR_ENVVAR_NOT_FOUND) {
      return;
    }
    throw std::system_error(static_cast<int>(error), std::system_category(),
                            "cannot set variable " + name);
  }
}

std::string systemTemporaryFolder() {
  std::string folder(MAX_PATH + 1, '\0');
  for (;;) {
    const DWORD length = GetTempPathA(static_cast<DWORD>(folder.size()), folder.data());
    if (length == 0) {
      return {};
    }
    if (length < folder.size()) {
      folder.resize(length);
      return folder;
    }
    folder.resize(length + 1);
  }
}

} // namespace vostrel::platform::native
