#include "platform/FileSystem.h"

#include "platform/Native.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <utility>

namespace vostrel::platform {

namespace {

namespace fs = std::filesystem;

[[noreturn]] void throwFileError(const char* what, const std::string& path) {
  const int code = errno != 0 ? errno : EIO;
  throw std::system_error(code, std::generic_category(), std::string(what) + " " + path);
}

} // namespace

char pathSeparator() {
#ifdef _WIN32
  return '\\';
#else
  return '/';
#endif
}

std::optional<std::string> environmentVariable(const std::string& name) {
  return native::getEnvironment(name);
}

void setEnvironmentVariable(const std::string& name, const std::optional<std::string>& value) {
  native::setEnvironment(name, value);
}

std::string temporaryFolder() {
  return withoutTrailingSeparator(native::systemTemporaryFolder());
}

void createDirectories(const std::string& path) {
  const fs::path target = native::toFilesystemPath(path);
  std::error_code error;
  fs::create_directories(target, error);
  if (error) {
    throw std::system_error(error, "cannot create folder " + path);
  }
  // create_directories reports success when the path exists as a file.
  if (!fs::is_directory(target, error)) {
    throw std::system_error(std::make_error_code(std::errc::not_a_directory),
                            "cannot create folder " + path);
  }
}

bool fileExists(const std::string& path) {
  std::error_code error;
  const fs::file_status status = fs::status(native::toFilesystemPath(path), error);
  return !error && fs::exists(status) && !fs::is_directory(status);
}

bool directoryExists(const std::string& path) {
  std::error_code error;
  return fs::is_directory(native::toFilesystemPath(path), error);
}

void removeFile(const std::string& path) {
  std::error_code error;
  fs::remove(native::toFilesystemPath(path), error);
  if (error) {
    throw std::system_error(error, "cannot remove " + path);
  }
}

void replaceFile(const std::string& from, const std::string& to) {
  std::error_code error;
  fs::rename(native::toFilesystemPath(from), native::toFilesystemPath(to), error);
  if (error) {
    throw std::system_error(error, "cannot rename " + from + " to " + to);
  }
}

std::vector<std::uint8_t> readFile(const std::string& path) {
  errno = 0;
  std::ifstream in(native::toFilesystemPath(path), std::ios::binary);
  if (!in) {
    throwFileError("cannot open", path);
  }
  // Sized from the file's length and read in one go; what is not a regular
  // file, or a file that grows meanwhile, is read to its end in blocks.
  std::vector<std::uint8_t> bytes;
  std::error_code noSize;
  const std::uintmax_t length = std::filesystem::file_size(native::toFilesystemPath(path), noSize);
  if (!noSize && length > 0) {
    bytes.resize(static_cast<std::size_t>(length));
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(length));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
  }
  char block[4096];
  while (in && in.read(block, sizeof block).gcount() > 0) {
    bytes.insert(bytes.end(), block, block + in.gcount());
  }
  if (in.bad()) {
    throwFileError("cannot read", path);
  }
  return bytes;
}

namespace {

// A file error whose text is given whole.
class FileError : public std::system_error {
public:
  FileError(std::error_code code, std::string text)
      : std::system_error(code), text_(std::move(text)) {}
  const char* what() const noexcept override { return text_.c_str(); }

private:
  std::string text_;
};

} // namespace

std::vector<std::uint8_t> readFileStart(const std::string& path, std::size_t maximumSize) {
  native::RegularFileRead read = native::readRegularFileStart(path, maximumSize);
  if (read.NotRegular) {
    throw FileError(std::make_error_code(std::errc::invalid_argument),
                    path + " is not a regular file");
  }
  if (read.Error) {
    throw FileError(read.Error, "cannot read " + path + ": " + read.Error.message());
  }
  return std::move(read.Bytes);
}

void writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  errno = 0;
  std::ofstream out(native::toFilesystemPath(path), std::ios::binary | std::ios::trunc);
  if (!out) {
    throwFileError("cannot create", path);
  }
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) {
    throwFileError("cannot write", path);
  }
}

std::string joinPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) {
    return name;
  }
  const auto nameStart = std::find_if_not(name.begin(), name.end(), native::isPathSeparator);
  std::string joined = withoutTrailingSeparator(folder);
  if (!native::isPathSeparator(joined.back())) {
    joined += pathSeparator();
  }
  joined.append(nameStart, name.end());
  return joined;
}

std::string withoutTrailingSeparator(std::string path) {
  const std::size_t keep = std::max<std::size_t>(native::rootLength(path), 1);
  while (path.size() > keep && native::isPathSeparator(path.back())) {
    path.pop_back();
  }
  return path;
}

} // namespace vostrel::platform
