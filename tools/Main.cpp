// vostrel: the command-line host of the camera control. It drives the control
// the way a host application does, for use on a terminal and in scripts.
// Exit status: 0 done, 1 the component or the host failed (the message goes
// to stderr), other values for a wrong command line.

#include "core/ECamException.h"
#include "tools/Commands.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <chrono>
#include <iostream>

namespace {

using namespace vostrel;
using namespace vostrel::tools;

int Fail(const std::string& message) {
  std::cerr << "vostrel: " << message << '\n';
  return 1;
}

} // namespace

int main(int argc, char** argv) {
  CLI::App app{"Remote control of EOS and PowerShot cameras through the Vostrel control.\n"
               "Without a camera SDK next to it, it drives the simulated cameras."};
  app.require_subcommand(1);
  app.fallthrough();

  GlobalOptions global;
  std::string camera = "eos:0";
  app.add_option("--camera", camera, "The camera to use: eos:N or powershot:N (see list)")
      ->check([](const std::string& text) {
        return ParseCameraChoice(text) ? std::string() : "expected eos:N or powershot:N";
      })
      ->capture_default_str();
  app.add_flag("-q,--quiet", global.Quiet, "Draw no progress bars");
  app.add_flag("-v,--verbose", global.Verbose, "Show the camera's events on stderr");
  std::string jsonCommands;
  for (const std::string& command : JsonCommands()) {
    jsonCommands += (jsonCommands.empty() ? "" : ", ") + command;
  }
  app.add_flag("--json", global.Json,
               "Print one JSON document on stdout (" + jsonCommands + "); messages go to stderr");
  app.add_option("--timeout", global.TimeoutSeconds,
                 "Seconds to wait for a picture or frame the camera announces")
      ->check(CLI::PositiveNumber)
      ->capture_default_str();

  std::function<void(ToolHost&)> run;
  CommandLine commandLine{app, global, run};
  AddCameraCommands(commandLine);
  AddShootingCommands(commandLine);
  AddLiveCommands(commandLine);
  AddParamsCommands(commandLine);
  AddCardCommands(commandLine);
  AddRawCommands(commandLine);

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    return app.exit(error);
  }
  global.Camera = *ParseCameraChoice(camera);
  if (global.Json) {
    const std::string chosen = ChosenCommand(app);
    const std::vector<std::string>& json = JsonCommands();
    if (std::find(json.begin(), json.end(), chosen) == json.end()) {
      // The command's text stays on stdout; a script learns why no document came.
      std::cerr << "vostrel: " << chosen << " has no JSON output; --json is ignored\n";
      global.Json = false;
    }
  }

  try {
    HostOptions options;
    options.ShowProgress = !global.Quiet;
    options.ShowCameraEvents = global.Verbose;
    options.Timeout = std::chrono::duration_cast<platform::Milliseconds>(
        std::chrono::duration<double>(global.TimeoutSeconds));
    ToolHost host(options);
    run(host);
  } catch (const ECamException& error) {
    return Fail(error.message());
  } catch (const std::exception& error) {
    return Fail(error.what());
  }
  return 0;
}
