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
// Sets (or, with nullopt, removes) a variable of this process.
void setEnvironmentVariable(const std::string& name, const std::optional<std::string>& value);

// The system's folder for temporary files, without a trailing separator.
std::string temporaryFolder();

// Creates the folder and every missing parent. Throws std::system_error.
void createDirectories(const std::string& path);
bool fileExists(const std::string& path);
bool directoryExists(const std::string& path);
void removeFile(const std::string& path);

// Whole-file helpers. Throw std::system_error on failure.
std::vector<std::uint8_t> readFile(const std::string& path);
void writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes);

// Joins two path parts with exactly one separator.
std::string joinPath(const std::string& folder, const std::string& name);

} // namespace vostrel::platform
