#pragma once
// What the bindings of the camera SDK libraries share: a library loaded once
// by name and kept for the life of the module, and entry points resolved from
// it by name. An entry point that is not bound is never called: calling it
// raises ECamException instead ("<library> could not be loaded" before the
// library was found, "<library> does not provide <name>" for a gap).

#include "platform/DynamicLibrary.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace vostrel::sdk {

class SdkLibrary;

// The untyped part of an entry point: its name and the address it is bound to.
class EntryPointSlot {
public:
  constexpr EntryPointSlot(const SdkLibrary& library, const char* name) noexcept
      : library_(library), name_(name) {}
  EntryPointSlot(const EntryPointSlot&) = delete;
  EntryPointSlot& operator=(const EntryPointSlot&) = delete;

  const char* name() const noexcept { return name_; }
  bool bound() const noexcept { return address_ != nullptr; }
  void bind(void* address) noexcept { address_ = address; }

protected:
  // The bound address; raises when the entry point is not bound.
  void* require() const;

private:
  const SdkLibrary& library_;
  const char* name_;
  void* address_ = nullptr;
};

// The result check of an SDK: returns for 0, raises ECamException otherwise.
using ResultCheck = void (*)(std::uint32_t result, const std::string& functionName);

// One bound SDK function of type Fn (a function-pointer type returning the
// SDK's 32-bit result), checked by Check.
template <typename Fn, ResultCheck Check>
class EntryPoint final : public EntryPointSlot {
public:
  using EntryPointSlot::EntryPointSlot;

  // Calls the function and returns its result as it is.
  template <typename... Args>
  std::uint32_t operator()(Args... args) const {
    return reinterpret_cast<Fn>(require())(args...);
  }

  // Calls the function and raises a non-zero result through Check.
  template <typename... Args>
  void checked(Args... args) const {
    const std::uint32_t result = (*this)(args...);
    if (result != 0) {
      Check(result, name());
    }
  }
};

// A camera SDK library and the entry points bound from it. Defined as a
// static object of its binding unit: it frees the library, and unbinds every
// entry point, when the module shuts down.
class SdkLibrary {
public:
  constexpr SdkLibrary(const char* fileName, std::span<EntryPointSlot* const> entryPoints) noexcept
      : fileName_(fileName), entryPoints_(entryPoints) {}
  ~SdkLibrary() { unload(); }
  SdkLibrary(const SdkLibrary&) = delete;
  SdkLibrary& operator=(const SdkLibrary&) = delete;

  const char* fileName() const noexcept { return fileName_; }
  bool loaded() const noexcept { return library_ != nullptr; }

  // Loads the library by name; false, with nothing changed, when it cannot
  // be loaded. The caller then binds the entry points in table order with
  // bindNext, so that the check of a missing export stays in its own unit.
  bool open();
  // The entry points in table order.
  std::span<EntryPointSlot* const> entryPoints() const noexcept { return entryPoints_; }
  // Binds one entry point; false when the library does not export it.
  bool bind(EntryPointSlot& entry) const;
  void unload() noexcept;

private:
  const char* fileName_;
  std::span<EntryPointSlot* const> entryPoints_;
  std::unique_ptr<platform::DynamicLibrary> library_;
};

// The assertion of a binding unit for an export that the library lacks:
// "Assertion failure (<unit file name>, line <line>): <library> does not
// export <name>".
[[noreturn]] void RaiseMissingExport(const char* unitFile, int line, const SdkLibrary& library,
                                     const char* missingName);

} // namespace vostrel::sdk
