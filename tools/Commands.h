#pragma once
// The subcommands of the command-line host. Each group registers its
// subcommands on the application; the one the user chose leaves its body in
// CommandLine::Run, which main runs once the whole command line is read.

#include "tools/CameraChoice.h"
#include "tools/ToolHost.h"

#include <CLI/CLI.hpp>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace vostrel::tools {

struct GlobalOptions {
  CameraChoice Camera;
  bool Quiet = false;
  bool Verbose = false;
  // One JSON document on stdout; messages go to stderr.
  bool Json = false;
  double TimeoutSeconds = 10;
};

struct CommandLine {
  CLI::App& App;
  const GlobalOptions& Global;
  std::function<void(ToolHost&)>& Run;
};

// list, info, set-clock, set-owner
void AddCameraCommands(CommandLine& commandLine);
// shoot, demo
void AddShootingCommands(CommandLine& commandLine);
// viewfinder, viewfinder-output, auto, zoom, af-lock
void AddLiveCommands(CommandLine& commandLine);
// params get|set|save|load|supported
void AddParamsCommands(CommandLine& commandLine);
// card list|get|delete|thumbnails
void AddCardCommands(CommandLine& commandLine);
// raw info|develop
void AddRawCommands(CommandLine& commandLine);

// The commands that print a JSON document with --json, as their names are
// typed ("params get"); the others print text and say so on stderr.
const std::vector<std::string>& JsonCommands();

// "params get": the subcommand the command line chose, with its parents.
std::string ChosenCommand(const CLI::App& app);

// Where a command's messages go: stdout, or stderr when stdout carries the
// JSON document.
std::ostream& Messages(const GlobalOptions& global);

// Creates the folder (and its parents) for files the command writes.
void CreateOutputFolder(const std::string& folder);

} // namespace vostrel::tools
