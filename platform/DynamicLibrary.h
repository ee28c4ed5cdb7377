#pragma once
// Loading a library by name and resolving its exports by name.
//
// The camera SDK libraries keep their file names on every system
// (EDSDK.DLL, PRSDK.DLL, CDSDK.DLL). Users ship them next to the component,
// so a name without a folder is looked for in the folder of the module that
// contains this code first, then along the system's standard search. On
// Windows the process error mode is set to 0x8000 around the load, so a
// missing library raises no system dialog.

#include <memory>
#include <string>
#include <utility>

namespace vostrel::platform {

class DynamicLibrary {
public:
  // Null when the library cannot be loaded.
  static std::unique_ptr<DynamicLibrary> open(const std::string& name);
  ~DynamicLibrary();
  DynamicLibrary(const DynamicLibrary&) = delete;
  DynamicLibrary& operator=(const DynamicLibrary&) = delete;

  // Address of an exported function or variable, or null when not exported.
  void* symbol(const char* name) const;
  // The path the library was loaded from.
  const std::string& path() const { return path_; }

private:
  DynamicLibrary(void* handle, std::string path) : handle_(handle), path_(std::move(path)) {}
  void* handle_;
  std::string path_;
};

// The plain name of an export that 32-bit Windows decorates for __stdcall
// ("_Name@8" gives "Name"); any other name as it is.
std::string plainExportName(const std::string& name);

// Folder of the module (executable or library) that contains this code,
// without a trailing separator.
std::string ownModuleFolder();

} // namespace vostrel::platform
