// The control from a script host, as a late-bound client that passes its
// arguments as references to variants: Wine's cscript runs small VBScript
// and JScript programs against the registered control, in a process of
// their own; and the sample scripts shipped next to the control, run to
// their end.

#include "ComServerFixture.h"

#include "core/TempFolder.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace vostrel::test {
namespace {

struct ScriptRun {
  DWORD exitCode = 0xFFFFFFFF;
  std::string output;
};

// Runs the script file with cscript in the working folder ("" for the
// test's own), with the simulated cameras of the scenario, and collects what
// it echoes. The process gets a minute; a script host that hangs fails the
// test.
ScriptRun RunScriptFile(const std::wstring& script, const std::wstring& workingFolder,
                        const std::string& scenarioJson) {
  ScriptRun run;
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
  // The script's own simulated EDSDK.DLL starts with these cameras.
  wchar_t scenarioFile[MAX_PATH] = {};
  GetFullPathNameW(L"com_script_scenario.json", MAX_PATH, scenarioFile, nullptr);
  {
    std::ofstream scenario("com_script_scenario.json", std::ios::binary);
    scenario << scenarioJson;
  }
  SetEnvironmentVariableW(L"VOSTREL_SIM_SCENARIO", scenarioFile);
  PROCESS_INFORMATION process{};
  std::wstring command = L"cscript.exe //nologo \"" + script + L"\"";
  const BOOL started =
      CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                     workingFolder.empty() ? nullptr : workingFolder.c_str(), &startup, &process);
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
  DeleteFileW(scenarioFile);
  return run;
}

// Writes the script into the test's folder and runs it on one EOS camera.
ScriptRun RunScript(const std::wstring& fileName, const std::string& text) {
  {
    std::ofstream script(std::string(fileName.begin(), fileName.end()), std::ios::binary);
    script << text;
  }
  const ScriptRun run = RunScriptFile(fileName, L"", OneEOSCameraScenario());
  DeleteFileW(fileName.c_str());
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

// The samples work in the folder they are started in; each run gets a
// fresh one.
class ShippedSample : public ComServer {
protected:
  ScriptRun Run(const wchar_t* sample, const std::string& scenario) {
    return RunScriptFile(ProgramFolder() + sample, folder.path().wstring(), scenario);
  }
  // The file exists and is not empty.
  bool Produced(const char* name) const {
    std::error_code missing;
    return std::filesystem::file_size(folder.path() / name, missing) > 0 && !missing;
  }

  TempFolder folder;
};

TEST_F(ShippedSample, SessionScriptsTakeAndSaveAPicture) {
  for (const wchar_t* sample : {L"session.vbs", L"session.js"}) {
    const ScriptRun run = Run(sample, OneEOSCameraScenario());
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    EXPECT_NE(run.output.find("Expected error: No camera is connected"), std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find("Body ID: 4711"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("Picture saved: "), std::string::npos) << run.output;
    EXPECT_TRUE(Produced("session.jpg"));
    std::filesystem::remove(folder.path() / "session.jpg");
  }
}

TEST_F(ShippedSample, CardScriptSavesThumbnailsAndDevelopsTheRAWPicture) {
  const ScriptRun run = Run(L"card.vbs", CardEOSCameraScenario());
  EXPECT_EQ(run.exitCode, 0u) << run.output;
  EXPECT_NE(run.output.find("Pictures on the card: 4"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("White balance as shot: 1"), std::string::npos) << run.output;
  for (const char* name : {"IMG_0001-thumb.jpg", "IMG_0004-thumb.jpg", "IMG_0002.CR2",
                           "IMG_0002.tif", "IMG_0002.jpg"}) {
    EXPECT_TRUE(Produced(name)) << name;
  }
  EXPECT_FALSE(std::filesystem::exists(folder.path() / "IMG_0002-thumb.jpg"));
}

// Picture names come from the camera: the script saves and develops into
// its own folder whatever path a name pretends to be.
TEST_F(ShippedSample, CardScriptKeepsToItsFolderWhateverTheCameraCallsAPicture) {
  const nlohmann::json camera = {
      {"model", "EOS Test"},
      {"volumes",
       {{{"label", "CF"},
         {"files",
          {{{"path", "DCIM/100EOS/IMG_0001.JPG"}, {"reportedName", "C:\\Windows\\IMG_0001.JPG"}},
           {{"path", "DCIM/100EOS/IMG_0002.CR2"}, {"reportedName", "..\\IMG_0002.CR2"}}}}}}}};
  const ScriptRun run = Run(L"card.vbs", nlohmann::json{{"eos", {{"cameras", {camera}}}}}.dump());
  EXPECT_EQ(run.exitCode, 0u) << run.output;
  EXPECT_NE(run.output.find("  1: ..\\IMG_0002.CR2"), std::string::npos) << run.output;
  for (const char* name : {"IMG_0001-thumb.jpg", "IMG_0002.CR2", "IMG_0002.tif", "IMG_0002.jpg"}) {
    EXPECT_TRUE(Produced(name)) << name;
    EXPECT_FALSE(std::filesystem::exists(folder.path().parent_path() / name)) << name;
  }
}

TEST_F(ShippedSample, PowerShotScriptZoomsWatchesTheViewfinderAndShoots) {
  const ScriptRun run = Run(L"powershot.vbs", R"json({
    "pr": { "cameras": [ { "model": "PowerShot Script",
                           "viewfinder": { "width": 96, "height": 64, "framesPerSecond": 50 } } ] }
  })json");
  EXPECT_EQ(run.exitCode, 0u) << run.output;
  EXPECT_NE(run.output.find("Model: PowerShot Script"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("ISO values offered: "), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("Zoomed to 7"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("Focus unlocked"), std::string::npos) << run.output;
  EXPECT_TRUE(Produced("viewfinder.jpg")) << run.output;
  EXPECT_TRUE(Produced("powershot.jpg")) << run.output;
}

TEST_F(ShippedSample, PowerShotScriptProbesShootsAndReadsTheProbeCacheTheSecondTime) {
  // Zoom from 0 to 16, optical up to 8; one picture on the card.
  const std::string scenario = R"({"cd": {"cameras": [{"model": "Simulated Classic",
      "properties": {"ReleaseControlFaculty": 1073741847},
      "volumes": [{"label": "CF", "files": ["DCIM/100_PSHT/IMG_0001.JPG"]}]}]}})";
  const auto session = [&](const std::string& apertures) {
    const ScriptRun result = Run(L"powershot-classic.vbs", scenario);
    EXPECT_EQ(result.exitCode, 0u) << result.output;
    EXPECT_NE(result.output.find("Model: Simulated Classic"), std::string::npos) << result.output;
    EXPECT_NE(result.output.find("Apertures it takes:      " + apertures + "\r\n"),
              std::string::npos)
        << result.output;
    EXPECT_NE(result.output.find("White balance now 2"), std::string::npos) << result.output;
    EXPECT_NE(result.output.find("Zoom 8 of 0 to 16"), std::string::npos) << result.output;
    EXPECT_NE(result.output.find("Picture saved: "), std::string::npos) << result.output;
    EXPECT_NE(result.output.find("Pictures on the card: 1\r\n  0 IMG_0001.JPG"), std::string::npos)
        << result.output;
    EXPECT_TRUE(Produced("powershot-classic.jpg"));
  };
  session("00000000001111111000000000000000000000000");

  // The second start takes the table from the cache file rather than from
  // the camera: a table changed in between (every value taken) is what the
  // script then reports.
  const std::filesystem::path cacheFile =
      folder.path() / "probe-cache" / "Simulated Classic Mode16";
  std::vector<char> cache;
  {
    std::ifstream in(cacheFile, std::ios::binary);
    cache.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  // The format tag, then one byte per value.
  ASSERT_EQ(cache.size(), 4u + 309u);
  std::fill(cache.begin() + 4, cache.end(), char{1});
  {
    std::ofstream out(cacheFile, std::ios::binary | std::ios::trunc);
    out.write(cache.data(), static_cast<std::streamsize>(cache.size()));
  }
  session(std::string(41, '1'));
}

} // namespace
} // namespace vostrel::test
