#include "sim/edsdk/EdsStreams.h"

#include "sim/edsdk/EdsFailure.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <limits>

namespace vostrel::sim::eds {

namespace {

namespace fs = std::filesystem;

bool exists(const std::string& path) {
  std::error_code error;
  return fs::exists(fs::path(path), error);
}

// A folder, a device or a FIFO under a file's name: opening a FIFO would wait
// for its other end, reading a device might never end.
bool existsButIsNoRegularFile(const std::string& path) {
  std::error_code error;
  const fs::file_status status = fs::status(fs::path(path), error);
  return !error && fs::exists(status) && !fs::is_regular_file(status);
}

bool parentExists(const std::string& path) {
  std::error_code error;
  const fs::path parent = fs::path(path).parent_path();
  return parent.empty() || fs::is_directory(parent, error);
}

void createEmpty(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    fail(parentExists(path) ? EdsErrFileOpen : EdsErrDirectoryNotFound);
  }
  std::fclose(file);
}

} // namespace

void Stream::seek(std::int64_t offset, EdsUInt32 origin) {
  std::int64_t base = 0;
  switch (origin) {
  case EdsSeekCurrent:
    base = static_cast<std::int64_t>(position_);
    break;
  case EdsSeekBegin:
    break;
  case EdsSeekEnd:
    base = static_cast<std::int64_t>(length());
    break;
  default:
    fail(EdsErrInvalidParameter);
  }
  if (base + offset < 0) {
    fail(EdsErrStreamSeek);
  }
  position_ = static_cast<std::uint64_t>(base + offset);
}

Bytes Stream::readAll() {
  const std::uint64_t kept = position_;
  position_ = 0;
  Bytes bytes(static_cast<std::size_t>(length()));
  const std::size_t got = bytes.empty() ? 0 : read(bytes.data(), bytes.size());
  bytes.resize(got);
  position_ = kept;
  return bytes;
}

std::size_t MemoryStream::read(void* buffer, std::size_t size) {
  if (position_ >= bytes_.size()) {
    return 0;
  }
  const std::size_t count = std::min<std::size_t>(size, bytes_.size() - position_);
  std::memcpy(buffer, bytes_.data() + position_, count);
  position_ += count;
  return count;
}

void MemoryStream::write(const void* data, std::size_t size) {
  const std::size_t end = static_cast<std::size_t>(position_) + size;
  if (end > bytes_.size()) {
    bytes_.resize(end); // a gap after a seek past the end reads as zeros
  }
  if (size > 0) {
    std::memcpy(bytes_.data() + position_, data, size);
  }
  position_ = end;
}

std::size_t EndlessStream::read(void* buffer, std::size_t size) {
  auto* bytes = static_cast<std::uint8_t*>(buffer);
  for (std::size_t i = 0; i < size; ++i, ++position_) {
    bytes[i] = position_ < start_.size() ? start_[static_cast<std::size_t>(position_)] : 0xFF;
  }
  return size;
}

void EndlessStream::write(const void* /*data*/, std::size_t /*size*/) {
  fail(EdsErrStreamWrite);
}

FileStream::FileStream(const std::string& path, EdsUInt32 disposition, EdsUInt32 access,
                       FailureInjector& disk)
    : disk_(disk) {
  if (access > EdsAccessReadWrite) {
    fail(EdsErrInvalidParameter);
  }
  if (existsButIsNoRegularFile(path)) {
    fail(EdsErrFileOpen);
  }
  const bool present = exists(path);
  switch (disposition) {
  case EdsFileCreateNew:
    if (present) {
      fail(EdsErrFileAlreadyExists);
    }
    createEmpty(path);
    break;
  case EdsFileCreateAlways:
    createEmpty(path);
    break;
  case EdsFileOpenExisting:
    if (!present) {
      fail(EdsErrFileNotFound);
    }
    break;
  case EdsFileOpenAlways:
    if (!present) {
      createEmpty(path);
    }
    break;
  case EdsFileTruncateExisting:
    if (!present) {
      fail(EdsErrFileNotFound);
    }
    createEmpty(path);
    break;
  default:
    fail(EdsErrInvalidParameter);
  }
  readable_ = access != EdsAccessWrite;
  writable_ = access != EdsAccessRead;
  file_.reset(std::fopen(path.c_str(), writable_ ? "r+b" : "rb"));
  if (!file_) {
    fail(EdsErrFileOpen);
  }
}

void FileStream::moveTo(std::uint64_t position) {
  if (position > static_cast<std::uint64_t>(std::numeric_limits<long>::max()) ||
      std::fseek(file_.get(), static_cast<long>(position), SEEK_SET) != 0) {
    fail(EdsErrStreamSeek);
  }
}

std::size_t FileStream::read(void* buffer, std::size_t size) {
  if (!readable_) {
    fail(EdsErrStreamPermission);
  }
  moveTo(position_);
  const std::size_t count = std::fread(buffer, 1, size, file_.get());
  if (count < size && std::ferror(file_.get()) != 0) {
    fail(EdsErrStreamRead);
  }
  position_ += count;
  return count;
}

void FileStream::write(const void* data, std::size_t size) {
  if (!writable_) {
    fail(EdsErrStreamPermission);
  }
  moveTo(position_);
  // A full disk takes the part that fits, as a file system does.
  const std::size_t fits = disk_.takeDiskSpace(size);
  if (std::fwrite(data, 1, fits, file_.get()) != fits || std::fflush(file_.get()) != 0) {
    fail(EdsErrStreamWrite);
  }
  position_ += fits;
  if (fits < size) {
    fail(EdsErrStreamWrite);
  }
}

std::uint64_t FileStream::length() {
  if (std::fseek(file_.get(), 0, SEEK_END) != 0) {
    fail(EdsErrStreamSeek);
  }
  const long end = std::ftell(file_.get());
  if (end < 0) {
    fail(EdsErrStreamSeek);
  }
  return static_cast<std::uint64_t>(end);
}

} // namespace vostrel::sim::eds
