#pragma once
// Environment, folders and files. Paths are 8-bit strings as the hosts pass
// them; on Windows they are taken in the ANSI code page.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vostrel::platform {

// '\\' on Windows, '/' elsewhere.
char pathSeparator();

std::optional<std::string> environmentVariable(const std::string& name);
// Sets (or, with nullopt, removes) a variable of this process. Throws
// std::system_error when the system refuses the name.
void setEnvironmentVariable(const std::string& name, const std::optional<std::string>& value);

// The system's folder for temporary files, without a trailing separator.
std::string temporaryFolder();

// Creates the folder and every missing parent. Throws std::system_error.
void createDirectories(const std::string& path);
// True for an existing file that is not a folder.
bool fileExists(const std::string& path);
bool directoryExists(const std::string& path);
// Removes a file; a file that does not exist is not an error. Throws
// std::system_error when an existing file cannot be removed.
void removeFile(const std::string& path);

// Whole-file helpers. Throw std::system_error on failure.
std::vector<std::uint8_t> readFile(const std::string& path);
void writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes);

// Joins two path parts with exactly one separator. An empty folder gives the
// name alone.
std::string joinPath(const std::string& folder, const std::string& name);

// The path without trailing separators; a root ("/", "C:\\") keeps its own.
std::string withoutTrailingSeparator(std::string path);

} // namespace vostrel::platform
