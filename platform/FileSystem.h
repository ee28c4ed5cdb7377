#pragma once
// Environment, folders and files. Paths are 8-bit strings as the hosts pass
// them; on Windows they are taken in the ANSI code page.

#include <cstddef>
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
// Gives a file another name in the same folder, replacing a file that has
// that name already. Throws std::system_error naming both files.
void replaceFile(const std::string& from, const std::string& to);

// The first bytes of a regular file, at most maximumSize of them, for readers
// that need no more than their format holds. What is not a regular file (a
// folder, a device such as /dev/zero or NUL, a pipe) is refused without
// reading from it or waiting for it. Throws std::system_error; its text
// names the file ("cannot open p.dat: No such file or directory", "p.dat is
// not a regular file").
std::vector<std::uint8_t> readFileStart(const std::string& path, std::size_t maximumSize);

// Whole-file helpers. Throw std::system_error on failure.
std::vector<std::uint8_t> readFile(const std::string& path);
void writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes);

// Joins two path parts with exactly one separator. An empty folder gives the
// name alone.
std::string joinPath(const std::string& folder, const std::string& name);

// The path without trailing separators; a root ("/", "C:\\") keeps its own.
std::string withoutTrailingSeparator(std::string path);

} // namespace vostrel::platform
