// Reading the start of a regular file on Windows.

#include "platform/Native.h"

#include <windows.h>

#include <algorithm>
#include <system_error>

namespace vostrel::platform::native {

namespace {

class Handle {
public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  ~Handle() {
    if (handle_ != INVALID_HANDLE_VALUE) {
      CloseHandle(handle_);
    }
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE get() const { return handle_; }

private:
  HANDLE handle_;
};

std::error_code lastError() {
  return std::error_code(static_cast<int>(GetLastError()), std::system_category());
}

} // namespace

RegularFileRead readRegularFileStart(const std::string& path, std::size_t maximumSize) {
  RegularFileRead result;
  // A folder cannot be opened this way; a device (NUL, CON, COM1) or a pipe
  // can, and is told apart by its type before anything is read.
  const Handle file(CreateFileW(toFilesystemPath(path).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) {
    const DWORD code = GetLastError();
    const DWORD attributes = GetFileAttributesW(toFilesystemPath(path).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      result.NotRegular = true;
      return result;
    }
    result.Error = std::error_code(static_cast<int>(code), std::system_category());
    return result;
  }
  if (GetFileType(file.get()) != FILE_TYPE_DISK) {
    result.NotRegular = true;
    return result;
  }
  while (result.Bytes.size() < maximumSize) {
    std::uint8_t block[4096];
    const auto wanted =
        static_cast<DWORD>(std::min<std::size_t>(sizeof block, maximumSize - result.Bytes.size()));
    DWORD got = 0;
    if (!ReadFile(file.get(), block, wanted, &got, nullptr)) {
      result.Error = lastError();
      return result;
    }
    if (got == 0) {
      break;
    }
    result.Bytes.insert(result.Bytes.end(), block, block + got);
  }
  return result;
}

} // namespace vostrel::platform::native
