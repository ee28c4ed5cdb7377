// The process environment on POSIX systems.

#include "platform/Native.h"

#include <cerrno>
#include <cstdlib>
#include <system_error>

namespace vostrel::platform::native {

std::optional<std::string> getEnvironment(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  if (value == nullptr) {
    return std::nullopt;
  }
  return std::string(value);
}

void setEnvironment(const std::string& name, const std::optional<std::string>& value) {
  const int result = value ? setenv(name.c_str(), value->c_str(), 1) : unsetenv(name.c_str());
  if (result != 0) {
    throw std::system_error(errno, std::generic_category(), "cannot set variable " + name);
  }
}

std::string systemTemporaryFolder() {
  const char* folder = std::getenv("TMPDIR");
  return folder != nullptr && folder[0] != '\0' ? std::string(folder) : std::string("/tmp");
}

} // namespace vostrel::platform::native
