// The calling convention of every entry point of the three simulated SDK
// libraries on 32-bit Windows, as a binding calls it: each function is
// resolved from the library by the name in the SDK's table and called
// through a helper that pushes as many argument words as the binding's
// function type has and measures how many bytes the function took off the
// stack. A __stdcall function takes all of them; a function that the
// binding and the library disagree on (in convention or in the size of an
// argument) takes another count, which an optimised caller would not
// survive. The helper measures this in any build, where a debug build's
// frame pointer would hide the imbalance.

#include "eos/EDSDKTYPES.h"
#include "platform/DynamicLibrary.h"
#include "powershot_cd/CDTYPE.h"
#include "powershot_pr/PRTYPE.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#if !defined(_WIN32) || !defined(__i386__)
#error "The stack of __stdcall calls is measured on 32-bit x86 Windows only"
#endif

// Calls `function` with the first `count` words of `arguments` pushed as its
// arguments and returns how many bytes it removed from the stack.
extern "C" std::uint32_t vostrelCalleePoppedBytes(const void* function,
                                                  const std::uint32_t* arguments,
                                                  std::uint32_t count) __asm__("vostrel_popped");
__asm__(R"(
  .text
  .globl vostrel_popped
vostrel_popped:
  pushl %ebp
  movl %esp, %ebp
  pushl %ebx
  pushl %esi
  pushl %edi
  movl 12(%ebp), %esi
  movl 16(%ebp), %ecx
  movl %esp, %edi
1:
  testl %ecx, %ecx
  jz 2f
  decl %ecx
  pushl (%esi,%ecx,4)
  jmp 1b
2:
  call *8(%ebp)
  movl %esp, %eax
  subl %edi, %eax
  movl 16(%ebp), %ecx
  leal (%eax,%ecx,4), %eax
  movl %edi, %esp
  popl %edi
  popl %esi
  popl %ebx
  popl %ebp
  ret
)");

namespace vostrel::test {
namespace {

// What a binding's function type puts on the stack, and who removes it.
template <typename Fn>
struct Frame;
template <typename R, typename... A>
struct Frame<R(__stdcall*)(A...)> {
  static constexpr std::uint32_t bytes = (0u + ... + ((sizeof(A) + 3u) / 4u * 4u));
  static constexpr bool calleeCleans = true;
};
template <typename R, typename... A>
struct Frame<R(__cdecl*)(A...)> {
  static constexpr std::uint32_t bytes = (0u + ... + ((sizeof(A) + 3u) / 4u * 4u));
  static constexpr bool calleeCleans = false;
};

struct EntryPoint {
  const char* name;
  const char* exportName;
  std::uint32_t bytes;
  bool calleeCleans;
};

template <typename Function>
const void* Address(Function* function) {
  return reinterpret_cast<const void*>(reinterpret_cast<std::uintptr_t>(function));
}

template <typename Fn>
constexpr EntryPoint Entry(const char* name, const char* exportName) {
  return {name, exportName, Frame<Fn>::bytes, Frame<Fn>::calleeCleans};
}

#define VOSTREL_TEST_ENTRY(number, name, result, parameters) Entry<name##Fn>(#name, #name),
#define VOSTREL_TEST_CD_ENTRY(number, name, exportName, parameters, arguments)                     \
  Entry<name##Fn>(#name, exportName),

// Calls every entry point of the library with zero arguments, the first
// (the SDK's start) last: until then each call finds the SDK not started and
// returns its error without looking at its arguments. `finish` ends the SDK
// again.
void CheckLibrary(const char* file, const std::vector<EntryPoint>& entries, const char* finish) {
  const auto library = platform::DynamicLibrary::open(file);
  ASSERT_NE(library, nullptr) << file;
  const std::array<std::uint32_t, 64> zeros{};
  for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
    SCOPED_TRACE(std::string(file) + " " + entry->name);
    EXPECT_TRUE(entry->calleeCleans) << "the binding does not call it as __stdcall";
    const void* address = library->symbol(entry->exportName);
    ASSERT_NE(address, nullptr) << entry->exportName << " is not exported";
    ASSERT_LE(entry->bytes / 4, zeros.size());
    EXPECT_EQ(vostrelCalleePoppedBytes(address, zeros.data(), entry->bytes / 4),
              entry->calleeCleans ? entry->bytes : 0u)
        << "the library and the binding disagree on its stack";
    // A decorated name states the bytes the function removes.
    const std::string exported = entry->exportName;
    if (const auto at = exported.rfind('@'); at != std::string::npos) {
      EXPECT_EQ(std::strtoul(exported.c_str() + at + 1, nullptr, 10), entry->bytes) << exported;
    }
  }
  const void* end = library->symbol(finish);
  ASSERT_NE(end, nullptr) << finish;
  vostrelCalleePoppedBytes(end, zeros.data(), 0);
}

TEST(EntryPointStack, EveryEDSDKEntryPointTakesItsArgumentsOffTheStack) {
  CheckLibrary("EDSDK.DLL", {EDSDK_ENTRY_POINTS(VOSTREL_TEST_ENTRY)}, "EdsTerminateSDK");
}

TEST(EntryPointStack, EveryPRSDKEntryPointTakesItsArgumentsOffTheStack) {
  CheckLibrary("PRSDK.DLL", {PRSDK_ENTRY_POINTS(VOSTREL_TEST_ENTRY)}, "PR_FinishSDK");
}

TEST(EntryPointStack, EveryCDSDKEntryPointTakesItsArgumentsOffTheStack) {
  CheckLibrary("CDSDK.DLL", {CDSDK_ENTRY_POINTS(VOSTREL_TEST_CD_ENTRY)}, "CDFinishSDK");
}

// The helper itself tells the two conventions apart.
std::uint32_t __stdcall CalleeCleans(std::uint32_t a, std::uint32_t b, std::uint32_t c) {
  return a + b + c;
}
std::uint32_t __cdecl CallerCleans(std::uint32_t a, std::uint32_t b, std::uint32_t c) {
  return a + b + c;
}

TEST(EntryPointStack, TheMeasureTellsStdcallFromCdecl) {
  const std::array<std::uint32_t, 3> arguments{1, 2, 3};
  EXPECT_EQ(vostrelCalleePoppedBytes(Address(&CalleeCleans), arguments.data(), 3), 12u);
  EXPECT_EQ(vostrelCalleePoppedBytes(Address(&CallerCleans), arguments.data(), 3), 0u);
  static_assert(Frame<decltype(&CalleeCleans)>::calleeCleans);
  static_assert(!Frame<decltype(&CallerCleans)>::calleeCleans);
  static_assert(Frame<EdsError(__stdcall*)(std::uint64_t, void*)>::bytes == 12);
}

} // namespace
} // namespace vostrel::test
