// The control from a script host, as a late-bound client that passes its
// arguments as references to variants: Wine's cscript runs small VBScript
// and JScript programs against the registered control, in a process of
// their own.

#include "ComServerFixture.h"

#include <fstream>

namespace vostrel::test {
namespace {

struct ScriptRun {
  DWORD exitCode = 0xFFFFFFFF;
  std::string output;
};

// Runs the script with cscript, in the test's folder, and collects what it
// echoes. The process gets a minute; a script host that hangs fails the test.
ScriptRun RunScript(const std::wstring& fileName, const std::string& text) {
  ScriptRun run;
  {
    std::ofstream script(std::string(fileName.begin(), fileName.end()), std::ios::binary);
    script << text;
  }
  SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
  HANDLE readEnd = nullptr;
  HANDLE writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) {
    return run;
  }
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = writeEnd;
  startup.hStdError = writeEnd;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  // The script's own simulated EDSDK.DLL starts with the tests' camera.
  const std::wstring scenarioFile = L"com_script_scenario.json";
  {
    std::ofstream scenario("com_script_scenario.json", std::ios::binary);
    scenario << OneEOSCameraScenario();
  }
  SetEnvironmentVariableW(L"VOSTREL_SIM_SCENARIO", scenarioFile.c_str());
  PROCESS_INFORMATION process{};
  std::wstring command = L"cscript.exe //nologo " + fileName;
  const BOOL started = CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                      nullptr, &startup, &process);
  CloseHandle(writeEnd);
  SetEnvironmentVariableW(L"VOSTREL_SIM_SCENARIO", nullptr);
  if (started) {
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(readEnd, buffer, sizeof(buffer), &got, nullptr) && got > 0) {
      run.output.append(buffer, got);
    }
    if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0) {
      GetExitCodeProcess(process.hProcess, &run.exitCode);
    } else {
      TerminateProcess(process.hProcess, 1);
    }
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
  }
  CloseHandle(readEnd);
  DeleteFileW(fileName.c_str());
  DeleteFileW(scenarioFile.c_str());
  return run;
}

using ScriptHost = ComServer;

TEST_F(ScriptHost, VBScriptDrivesACameraAndSeesFailures) {
  const ScriptRun run = RunScript(L"com_session_test.vbs", R"(
Set camera = CreateObject("VostrelActiveXXControl1.VostrelActiveXX")
On Error Resume Next
camera.Disconnect
WScript.Echo Hex(Err.Number) & "|" & Err.Description & "|" & Err.Source
Err.Clear
On Error GoTo 0
camera.OpenCameraEnumeration
WScript.Echo camera.OpenCameraEnumeration_GetEOSNr & "|" & camera.OpenCameraEnumeration_GetModel(2, 0)
family = 2
number = 0
camera.Connect family, number
WScript.Echo camera.Connect_CameraModelName & "|" & camera.Connect_CameraModel & "|" & camera.RemoteSupported
camera.Disconnect
camera.CloseCameraEnumeration
WScript.Quit 7
)");
  EXPECT_EQ(run.exitCode, 7u) << run.output;
  EXPECT_EQ(run.output,
            "8000FFFF|No camera is connected|VostrelActiveXXControl1.VostrelActiveXX\r\n"
            "1|EOS Test\r\n"
            "EOS Test|2|True\r\n");
}

TEST_F(ScriptHost, JScriptSeesTheErrorCode) {
  const ScriptRun run = RunScript(L"com_error_test.js", R"(
var camera = new ActiveXObject("VostrelActiveXXControl1.VostrelActiveXX");
try {
  camera.RemoteTakePicture();
  WScript.Quit(1);
} catch (e) {
  WScript.Echo(((e.number >>> 0) === 0x8000FFFF) + "|" + (e.description.length > 0));
}
WScript.Quit(0);
)");
  EXPECT_EQ(run.exitCode, 0u) << run.output;
  EXPECT_EQ(run.output, "true|true\r\n");
}

} // namespace
} // namespace vostrel::test
