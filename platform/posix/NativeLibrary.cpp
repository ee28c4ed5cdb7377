// Libraries on POSIX systems: dlopen and friends. The camera SDK files keep
// their Windows names (EDSDK.DLL, ...); dlopen does not care about the suffix.

#include "platform/DynamicLibrary.h"
#include "platform/Native.h"

#include <dlfcn.h>
#include <link.h>

#include <filesystem>
#include <system_error>

namespace vostrel::platform::native {

void* loadLibrary(const std::string& pathOrName) {
  return dlopen(pathOrName.c_str(), RTLD_NOW | RTLD_LOCAL);
}

// There is no __stdcall decoration here: a function that 32-bit Windows
// exports under its decorated name ("_Name@8") is exported as "Name".
void* librarySymbol(void* library, const char* name) {
  return dlsym(library, plainExportName(name).c_str());
}

void freeLibrary(void* library) {
  dlclose(library);
}

std::string ownModuleFileName() {
  static const char anchor = 0;
  Dl_info info{};
  link_map* module = nullptr;
  if (dladdr1(&anchor, &info, reinterpret_cast<void**>(&module), RTLD_DL_LINKMAP) == 0 ||
      module == nullptr) {
    return {};
  }
  std::error_code error;
  // The main program has no name in the link map; the kernel knows its file.
  if (module->l_name == nullptr || module->l_name[0] == '\0') {
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : self.string();
  }
  const std::filesystem::path file = std::filesystem::absolute(module->l_name, error);
  return error ? std::string(module->l_name) : file.lexically_normal().string();
}

} // namespace vostrel::platform::native
