// The x86 build as 64-bit Windows runs it: a 32-bit process under WoW64,
// whose control the 32-bit regsvr32 of the system's WoW64 folder registers
// in the 32-bit registry view only, and which the 32-bit script host then
// creates and drives, loading the 32-bit camera libraries next to it.

#include "VostrelActiveXXControl1_TLB.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <combaseapi.h>

#include <fstream>
#include <string>

namespace vostrel::test {
namespace {

std::wstring ProgramFolder() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path);
  folder.resize(folder.find_last_of(L"\\/") + 1);
  return folder;
}

std::wstring LibraryPath() {
  return ProgramFolder() + L"VostrelActiveXXControl1.ocx";
}

// The folder of the 32-bit system programs (C:\windows\syswow64).
std::wstring Wow64SystemFolder() {
  wchar_t folder[MAX_PATH] = {};
  const UINT length = GetSystemWow64DirectoryW(folder, MAX_PATH);
  return length == 0 ? std::wstring() : std::wstring(folder, length) + L"\\";
}

// A handle that closes itself.
struct Handle {
  HANDLE value = nullptr;
  Handle() = default;
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  ~Handle() {
    if (value != nullptr && value != INVALID_HANDLE_VALUE) {
      CloseHandle(value);
    }
  }
};

struct ProcessRun {
  DWORD exitCode = 0xFFFFFFFF;
  std::string output;
};

// Runs the command line and collects what it writes; a minute at most.
ProcessRun RunProcess(std::wstring command) {
  ProcessRun run;
  SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
  Handle readEnd;
  Handle writeEnd;
  if (!CreatePipe(&readEnd.value, &writeEnd.value, &inherit, 0)) {
    return run;
  }
  SetHandleInformation(readEnd.value, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = writeEnd.value;
  startup.hStdError = writeEnd.value;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION started{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                      &startup, &started)) {
    return run;
  }
  Handle process;
  process.value = started.hProcess;
  Handle thread;
  thread.value = started.hThread;
  CloseHandle(writeEnd.value);
  writeEnd.value = nullptr;
  // Reads while the process runs and stops when it has ended: a background
  // program of Wine started meanwhile may hold the pipe's other end open.
  const auto drain = [&] {
    char buffer[4096];
    DWORD waiting = 0;
    DWORD got = 0;
    while (PeekNamedPipe(readEnd.value, nullptr, 0, nullptr, &waiting, nullptr) && waiting > 0 &&
           ReadFile(readEnd.value, buffer, sizeof(buffer), &got, nullptr) && got > 0) {
      run.output.append(buffer, got);
    }
  };
  const ULONGLONG deadline = GetTickCount64() + 60000;
  DWORD state = WAIT_TIMEOUT;
  while (state == WAIT_TIMEOUT && GetTickCount64() < deadline) {
    state = WaitForSingleObject(process.value, 20);
    drain();
  }
  if (state == WAIT_OBJECT_0) {
    GetExitCodeProcess(process.value, &run.exitCode);
  } else {
    TerminateProcess(process.value, 1);
  }
  return run;
}

std::wstring ClassKey() {
  wchar_t clsid[40] = {};
  StringFromGUID2(CLSID_VostrelActiveXX, clsid, 40);
  return std::wstring(L"CLSID\\") + clsid + L"\\InprocServer32";
}

// The default value of the class's InprocServer32 key in one registry view
// (KEY_WOW64_32KEY or KEY_WOW64_64KEY); empty when the key is not there.
std::wstring ServerInView(REGSAM view) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, ClassKey().c_str(), 0, KEY_QUERY_VALUE | view, &key) !=
      ERROR_SUCCESS) {
    return {};
  }
  wchar_t value[MAX_PATH] = {};
  DWORD size = sizeof(value) - sizeof(wchar_t);
  const LONG status =
      RegQueryValueExW(key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size);
  RegCloseKey(key);
  return status == ERROR_SUCCESS ? std::wstring(value) : std::wstring();
}

TEST(Wow64, TheX86BuildRunsAsA32BitProcessUnderWow64) {
  static_assert(sizeof(void*) == 4);
  BOOL wow64 = FALSE;
  ASSERT_TRUE(IsWow64Process(GetCurrentProcess(), &wow64));
  EXPECT_TRUE(wow64);
  EXPECT_FALSE(Wow64SystemFolder().empty());
}

// One case: the registration is the state the later steps need.
TEST(Wow64, The32BitRegsvr32RegistersTheControlForThe32BitScriptHostOnly) {
  const std::wstring system = Wow64SystemFolder();
  ASSERT_FALSE(system.empty());
  const std::wstring library = LibraryPath();
  ASSERT_NE(GetFileAttributesW(library.c_str()), INVALID_FILE_ATTRIBUTES)
      << "VostrelActiveXXControl1.ocx is not next to the test";

  ProcessRun registration = RunProcess(L"\"" + system + L"regsvr32.exe\" /s \"" + library + L"\"");
  ASSERT_EQ(registration.exitCode, 0u) << registration.output;
  // Whatever the test does next, the registration goes again.
  struct Unregister {
    std::wstring command;
    ~Unregister() {
      if (!command.empty()) {
        RunProcess(command);
      }
    }
  } unregister{L"\"" + system + L"regsvr32.exe\" /s /u \"" + library + L"\""};

  EXPECT_EQ(ServerInView(KEY_WOW64_32KEY), library);
  EXPECT_EQ(ServerInView(KEY_WOW64_64KEY), L"");

  // The sample's first steps, with the cameras of the default scenario.
  const std::wstring script = ProgramFolder() + L"com_wow64_test.vbs";
  {
    std::ofstream file(script.c_str(), std::ios::binary);
    file
        << "Set camera = CreateObject(\"VostrelActiveXXControl1.VostrelActiveXX\")\r\n"
           "camera.OpenCameraEnumeration\r\n"
           "WScript.Echo \"EOS \" & camera.OpenCameraEnumeration_GetEOSNr & \" PowerShot \" & _\r\n"
           "  camera.OpenCameraEnumeration_GetPowerShotNr\r\n"
           "camera.CloseCameraEnumeration\r\n"
           "WScript.Quit 3\r\n";
  }
  const ProcessRun session =
      RunProcess(L"\"" + system + L"cscript.exe\" //nologo \"" + script + L"\"");
  DeleteFileW(script.c_str());
  EXPECT_EQ(session.exitCode, 3u) << session.output;
  EXPECT_EQ(session.output.rfind("EOS ", 0), 0u) << session.output;
  EXPECT_EQ(session.output.find("EOS 0 "), std::string::npos) << session.output;

  unregister.command.clear();
  registration = RunProcess(L"\"" + system + L"regsvr32.exe\" /s /u \"" + library + L"\"");
  EXPECT_EQ(registration.exitCode, 0u) << registration.output;
  EXPECT_EQ(ServerInView(KEY_WOW64_32KEY), L"");
}

// The class identifier of HKEY_CLASSES_ROOT\<ProgID>\CLSID; empty when the
// programmatic identifier is not registered.
std::wstring ClassOfProgId() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, L"VostrelActiveXXControl1.VostrelActiveXX\\CLSID", 0,
                    KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
    return {};
  }
  wchar_t value[64] = {};
  DWORD size = sizeof(value) - sizeof(wchar_t);
  const LONG status =
      RegQueryValueExW(key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size);
  RegCloseKey(key);
  return status == ERROR_SUCCESS ? std::wstring(value) : std::wstring();
}

// The x64 control's registration in the 64-bit view, as its regsvr32 or its
// installer package leaves it, for as long as the object lives.
struct OtherWidthRegistration {
  bool written = false;
  OtherWidthRegistration() {
    if (!ServerInView(KEY_WOW64_64KEY).empty()) {
      return; // the x64 control is registered for real
    }
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, ClassKey().c_str(), 0, nullptr, 0,
                        KEY_WRITE | KEY_WOW64_64KEY, nullptr, &key, nullptr) != ERROR_SUCCESS) {
      return;
    }
    const std::wstring server = L"C:\\Program Files\\Vostrel\\VostrelActiveXXControl1.ocx";
    written =
        RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(server.c_str()),
                       static_cast<DWORD>((server.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    RegCloseKey(key);
  }
  OtherWidthRegistration(const OtherWidthRegistration&) = delete;
  OtherWidthRegistration& operator=(const OtherWidthRegistration&) = delete;
  ~OtherWidthRegistration() {
    if (!written) {
      return;
    }
    const std::wstring classKey = ClassKey().substr(0, ClassKey().rfind(L'\\'));
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, classKey.c_str(), 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY,
                      &key) == ERROR_SUCCESS) {
      RegDeleteTreeW(key, nullptr);
      RegCloseKey(key);
      RegDeleteKeyExW(HKEY_CLASSES_ROOT, classKey.c_str(), KEY_WOW64_64KEY, 0);
    }
  }
};

// Both widths answer to one programmatic identifier: unregistering the
// 32-bit control leaves it to the 64-bit one while that is registered, and
// removes it once neither is.
TEST(Wow64, UnregisteringOneWidthKeepsTheProgIdWhileTheOtherIsRegistered) {
  const std::wstring system = Wow64SystemFolder();
  ASSERT_FALSE(system.empty());
  const std::wstring regsvr32 = L"\"" + system + L"regsvr32.exe\" /s ";
  const std::wstring library = L"\"" + LibraryPath() + L"\"";
  wchar_t clsid[40] = {};
  StringFromGUID2(CLSID_VostrelActiveXX, clsid, 40);
  {
    OtherWidthRegistration other;
    ASSERT_FALSE(ServerInView(KEY_WOW64_64KEY).empty());
    ASSERT_EQ(RunProcess(regsvr32 + library).exitCode, 0u);
    EXPECT_EQ(ClassOfProgId(), clsid);
    ASSERT_EQ(RunProcess(regsvr32 + L"/u " + library).exitCode, 0u);
    EXPECT_EQ(ServerInView(KEY_WOW64_32KEY), L"");
    EXPECT_EQ(ClassOfProgId(), clsid) << "the 64-bit control lost its programmatic identifier";
    if (!other.written) {
      return; // the real x64 registration stays as it was
    }
  }
  ASSERT_EQ(RunProcess(regsvr32 + library).exitCode, 0u);
  ASSERT_EQ(RunProcess(regsvr32 + L"/u " + library).exitCode, 0u);
  EXPECT_EQ(ClassOfProgId(), L"");
}

} // namespace
} // namespace vostrel::test
