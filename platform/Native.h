#pragma once
// The operating-system half of the platform layer. Each function has one
// implementation in posix/ and one in win32/; the portable parts of the
// platform layer build on these and nothing else in the system calls them.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

namespace vostrel::platform {
struct TimeZoneInfo;
}

namespace vostrel::platform::native {

// Loads the library at exactly this path or name (a name without a folder
// goes through the system's search). Null on failure.
void* loadLibrary(const std::string& pathOrName);
void* librarySymbol(void* library, const char* name);
void freeLibrary(void* library);
// Full file name of the module (executable or library) that holds this code.
std::string ownModuleFileName();

// True for characters that separate folders in a path ('/' and, on Windows,
// '\\').
bool isPathSeparator(char c);
// Length of the root at the start of a path: 1 for "/", 3 for "C:\\" on
// Windows, 0 for a relative path.
std::size_t rootLength(const std::string& path);
// True when the name says where the file is: it has a folder part or, on
// Windows, a drive.
bool hasFolderPart(const std::string& name);

// Converts a path as the hosts pass it (8-bit, in the system's narrow
// encoding) into a std::filesystem path.
std::filesystem::path toFilesystemPath(const std::string& path);

// Converts UTF-16 text into the system's narrow encoding (the ANSI code page
// on Windows, UTF-8 elsewhere); characters that the encoding lacks become
// the system's replacement character.
std::string narrowFromUtf16(const std::u16string& text);

// What reading the start of a file found: its first bytes, or that it is not
// a regular file (a folder, a device, a pipe), or the system's error.
struct RegularFileRead {
  std::vector<std::uint8_t> Bytes;
  bool NotRegular = false;
  std::error_code Error;
};
// Reads at most maximumSize bytes from the start of the file, and nothing
// from what is not a regular file; never waits for a writer.
RegularFileRead readRegularFileStart(const std::string& path, std::size_t maximumSize);

std::optional<std::string> getEnvironment(const std::string& name);
void setEnvironment(const std::string& name, const std::optional<std::string>& value);
// The system's temporary folder, possibly with a trailing separator.
std::string systemTemporaryFolder();

TimeZoneInfo systemTimeZone();

} // namespace vostrel::platform::native
