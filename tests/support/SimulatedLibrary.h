#pragma once
// The control interface of a simulated SDK library beside the test program,
// resolved once per program and library from the same library that the
// binding loads by name.

#include "platform/DynamicLibrary.h"
#include "sim/SimControlClient.h"

#include <map>
#include <memory>
#include <stdexcept>
#include <string>

namespace vostrel::test {

inline sim::SimControlClient& SimulatedLibrary(const std::string& fileName) {
  struct Loaded {
    std::unique_ptr<platform::DynamicLibrary> library;
    std::unique_ptr<sim::SimControlClient> client;
  };
  static std::map<std::string, Loaded> libraries;
  Loaded& loaded = libraries[fileName];
  if (!loaded.client) {
    loaded.library = platform::DynamicLibrary::open(fileName);
    if (!loaded.library) {
      libraries.erase(fileName);
      throw std::runtime_error(fileName + " is not next to the test program");
    }
    loaded.client = std::make_unique<sim::SimControlClient>(*loaded.library);
  }
  return *loaded.client;
}

} // namespace vostrel::test
