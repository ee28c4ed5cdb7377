// Reading the start of a regular file on POSIX systems.

#include "platform/Native.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace vostrel::platform::native {

namespace {

class Descriptor {
public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) {
      ::close(fd_);
    }
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }

private:
  int fd_;
};

} // namespace

RegularFileRead readRegularFileStart(const std::string& path, std::size_t maximumSize) {
  RegularFileRead result;
  // Without blocking: opening a FIFO for reading would otherwise wait for a
  // writer. The descriptor is looked at before anything is read from it.
  const Descriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (file.get() < 0) {
    result.Error = std::error_code(errno, std::generic_category());
    return result;
  }
  struct stat status {};
  if (::fstat(file.get(), &status) != 0) {
    result.Error = std::error_code(errno, std::generic_category());
    return result;
  }
  if (!S_ISREG(status.st_mode)) {
    result.NotRegular = true;
    return result;
  }
  while (result.Bytes.size() < maximumSize) {
    std::uint8_t block[4096];
    const std::size_t wanted = std::min(sizeof block, maximumSize - result.Bytes.size());
    const ssize_t got = ::read(file.get(), block, wanted);
    if (got < 0 && errno == EINTR) {
      continue;
    }
    if (got < 0) {
      result.Error = std::error_code(errno, std::generic_category());
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
