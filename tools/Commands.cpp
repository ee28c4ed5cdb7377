#include "tools/Commands.h"

#include "platform/FileSystem.h"
#include "tools/ToolError.h"

#include <iostream>
#include <system_error>

namespace vostrel::tools {

const std::vector<std::string>& JsonCommands() {
  static const std::vector<std::string> commands{"list",       "info",        "params get",
                                                 "params set", "params load", "params supported",
                                                 "card list",  "raw info",    "shoot"};
  return commands;
}

std::string ChosenCommand(const CLI::App& app) {
  std::string path;
  const CLI::App* level = &app;
  for (;;) {
    const auto chosen = level->get_subcommands();
    if (chosen.empty()) {
      return path;
    }
    level = chosen.front();
    path += (path.empty() ? "" : " ") + level->get_name();
  }
}

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
