#include "tools/Commands.h"

#include "platform/FileSystem.h"
#include "tools/ToolError.h"

#include <iostream>
#include <system_error>

namespace vostrel::tools {

std::ostream& Messages(const GlobalOptions& global) {
  return global.Json ? std::cerr : std::cout;
}

void CreateOutputFolder(const std::string& folder) {
  try {
    platform::createDirectories(folder);
  } catch (const std::system_error& error) {
    throw ToolError("Cannot create the folder " + folder + ": " + error.what());
  }
}

} // namespace vostrel::tools
