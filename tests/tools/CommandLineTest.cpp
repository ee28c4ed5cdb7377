// The vostrel program end to end: it runs as a process of its own, next to
// the simulated EDSDK.DLL, on scenario files, and is judged by its exit
// status, its output and the files it leaves.

#include "core/CamLib.h"
#include "core/RemoteParamsFile.h"
#include "core/TempFolder.h"
#include "platform/DynamicLibrary.h"
#include "platform/FileSystem.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace vostrel {
namespace {

struct Result {
  int ExitCode = -1;
  std::string Out;
  std::string Err;
  std::string CallLog;
};

// The EDSDK property writes of a call log, "0x00000405=30000000" each.
std::vector<std::string> PropertyWrites(const std::string& log) {
  std::vector<std::string> writes;
  std::istringstream lines(log);
  for (std::string line; std::getline(lines, line);) {
    const std::string call = "EdsSetPropertyData(camera#";
    if (line.rfind(call, 0) != 0) {
      continue;
    }
    // EdsSetPropertyData(camera#2, 0x00000405, 0, 4, 30000000) = 0x00000000
    const auto id = line.find(", ") + 2;
    const auto bytes = line.rfind(", ", line.find(')')) + 2;
    writes.push_back(line.substr(id, 10) + "=" + line.substr(bytes, line.find(')') - bytes));
  }
  return writes;
}

// The text of a file, with the line ends of Windows programs as '\n'.
std::string ReadText(const std::string& fileName) {
  std::ifstream file(fileName, std::ios::binary);
  std::ostringstream contents;
  contents << file.rdbuf();
  std::string text = contents.str();
  std::erase(text, '\r');
  return text;
}

// Sets an environment variable for the processes started by one test.
class ScopedVariable {
public:
  ScopedVariable(const std::string& name, const std::string& value)
      : name_(name), previous_(platform::environmentVariable(name)) {
    platform::setEnvironmentVariable(name, value);
  }
  ~ScopedVariable() { platform::setEnvironmentVariable(name_, previous_); }
  ScopedVariable(const ScopedVariable&) = delete;
  ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
  std::string name_;
  std::optional<std::string> previous_;
};

class CommandLineTest : public ::testing::Test {
protected:
  // Runs vostrel with these arguments on a pseudo-terminal (script(1)); the
  // transcript is its output as it is, carriage returns and escapes included.
  void RunOnATerminal(const std::string& arguments, std::string& transcript) {
    const std::string command =
        Quote(platform::joinPath(platform::ownModuleFolder(), Program)) + " " + arguments;
    const std::string file = folder.file("transcript.txt");
    ASSERT_EQ(std::system(("script -q -e -c " + Quote(command) + " " + Quote(file) +
                           " > /dev/null 2>&1 < /dev/null")
                              .c_str()),
              0);
    std::ifstream in(file, std::ios::binary);
    transcript.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  // Runs vostrel from the folder of this test program with the arguments
  // and the scenario, in the test's own folder.
  Result Run(const std::vector<std::string>& arguments) {
    const std::string outFile = folder.file("stdout.txt");
    const std::string errFile = folder.file("stderr.txt");
    const std::string codeFile = folder.file("exit.txt");
    std::string command = Quote(platform::joinPath(platform::ownModuleFolder(), Program));
    for (const std::string& argument : arguments) {
      command += " " + Quote(argument);
    }
    command += " > " + Quote(outFile) + " 2> " + Quote(errFile);
    Result result;
#ifdef _WIN32
    // cmd.exe takes the whole line in one more pair of quotes and returns
    // the program's exit status.
    result.ExitCode = std::system(("\"" + command + "\"").c_str());
#else
    // The shell writes the exit status where the test can read it.
    command += "; echo $? > " + Quote(codeFile);
    EXPECT_EQ(std::system(command.c_str()), 0);
    result.ExitCode = std::stoi(ReadText(codeFile));
#endif
    result.Out = ReadText(outFile);
    result.Err = ReadText(errFile);
    return result;
  }

  // Runs vostrel and returns, in the result's CallLog, what it sent to the
  // simulated camera libraries.
  Result RunLogged(const std::vector<std::string>& arguments) {
    const std::string log = folder.file("calls.txt");
    std::remove(log.c_str());
    Result result;
    {
      const ScopedVariable variable("VOSTREL_SIM_CALL_LOG", log);
      result = Run(arguments);
    }
    result.CallLog = ReadText(log);
    return result;
  }

  void UseScenario(const std::string& json) {
    const std::string file = folder.file("scenario.json");
    std::ofstream(file, std::ios::binary) << json;
    scenario.emplace("VOSTREL_SIM_SCENARIO", file);
  }

  static std::string Quote(const std::string& text) {
    return "\"" + text + "\"";
  }

#ifndef _WIN32
  // What libtiff's tiffinfo reads from the file: a reader independent of the
  // simulator's TIFF writer.
  std::string TiffInfo(const std::string& file) {
    const std::string output = folder.file("tiffinfo.txt");
    EXPECT_EQ(std::system(("tiffinfo " + Quote(file) + " > " + Quote(output) + " 2>&1").c_str()),
              0);
    return ReadText(output);
  }
#endif

#ifdef _WIN32
  static constexpr const char* Program = "vostrel.exe";
#else
  static constexpr const char* Program = "vostrel";
#endif

  test::TempFolder folder;
  std::optional<ScopedVariable> scenario;
};

const char* const OneCamera = R"json({
  "eos": {
    "cameras": [
      {
        "model": "EOS Bench",
        "owner": "Lab 4",
        "bodyId": 4242,
        "battery": 50,
        "availableShots": 20,
        "captureFolder": "DCIM/100EOSBE",
        "volumes": [
          { "label": "CF", "files": ["DCIM/100EOSBE/IMG_0001.JPG", "DCIM/100EOSBE/IMG_0002.CR2"] }
        ]
      }
    ]
  }
})json";

// The first bytes of a file.
std::string StartOf(const std::string& file, std::size_t count) {
  if (!platform::fileExists(file)) {
    return "<missing>";
  }
  const std::vector<std::uint8_t> bytes = platform::readFile(file);
  return std::string(bytes.begin(),
                     bytes.begin() + static_cast<std::ptrdiff_t>(std::min(count, bytes.size())));
}

const std::string JpegStart = "\xFF\xD8";

// The lines of a text that start with the prefix.
std::vector<std::string> LinesStartingWith(const std::string& text, const std::string& prefix) {
  std::vector<std::string> found;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind(prefix, 0) == 0) {
      found.push_back(line);
    }
  }
  return found;
}

// The names of the files in a folder, sorted.
std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// Whether the picture carries the mark of the camera's body ID and the shot.
bool MarkedAs(const std::string& file, int bodyId, int shot) {
  return StartOf(file, 4096)
             .find("camera " + std::to_string(bodyId) + " shot " + std::to_string(shot)) !=
         std::string::npos;
}

TEST_F(CommandLineTest, ListsAndDescribesTheScenarioCamera) {
  UseScenario(OneCamera);
  const Result list = Run({"list"});
  EXPECT_EQ(list.ExitCode, 0) << list.Err;
  EXPECT_EQ(list.Out, "eos:0\tEOS Bench\n");

  const Result info = Run({"--camera", "eos:0", "info"});
  EXPECT_EQ(info.ExitCode, 0) << info.Err;
  EXPECT_NE(info.Out.find("model:    EOS Bench\n"), std::string::npos) << info.Out;
  EXPECT_NE(info.Out.find("owner:    Lab 4\n"), std::string::npos) << info.Out;
  EXPECT_NE(info.Out.find("battery:  lithium battery, weak\n"), std::string::npos) << info.Out;
  EXPECT_NE(info.Out.find("body ID:  4242\n"), std::string::npos) << info.Out;

  const Result owner = Run({"set-owner", "Lab 5"});
  EXPECT_EQ(owner.ExitCode, 0) << owner.Err;
  EXPECT_EQ(owner.Out, "owner of eos:0 set to \"Lab 5\"\n");
  const Result clock = Run({"set-clock", "--time", "2024-02-29 23:59:59.5"});
  EXPECT_EQ(clock.ExitCode, 0) << clock.Err;
  EXPECT_EQ(clock.Out, "clock of eos:0 set to 2024-02-29 23:59:59.500\n");
}

TEST_F(CommandLineTest, NoCameraIsNotAnError) {
  UseScenario(R"json({ "eos": { "cameras": [] } })json");
  const Result list = Run({"list"});
  EXPECT_EQ(list.ExitCode, 0) << list.Err;
  EXPECT_EQ(list.Out, "No camera found.\n");
}

TEST_F(CommandLineTest, ComponentErrorsEndWithTheirMessageAndStatusOne) {
  UseScenario(OneCamera);
  const Result date = Run({"set-clock", "--time", "2023-02-29 10:00:00"});
  EXPECT_EQ(date.ExitCode, 1);
  EXPECT_EQ(date.Err, "vostrel: Invalid date or time: 2023-02-29 10:00:00.000\n");

  const Result missing = Run({"--camera", "eos:3", "info"});
  EXPECT_EQ(missing.ExitCode, 1);
  EXPECT_EQ(missing.Err.rfind("vostrel: ", 0), 0U) << missing.Err;
  EXPECT_EQ(missing.Out, "");

  const Result viewfinder = Run({"viewfinder", "-n", "1", "-o", folder.file("frames")});
  EXPECT_EQ(viewfinder.ExitCode, 1);
  EXPECT_FALSE(platform::fileExists(folder.file("frames/frame-001.jpg")));
}

TEST_F(CommandLineTest, WrongCommandLinesAreRefusedBeforeAnyCameraWork) {
  for (const std::vector<std::string>& arguments : {std::vector<std::string>{"frobnicate"},
                                                    {"--camera", "nikon:0", "list"},
                                                    {"set-clock", "--time", "yesterday"},
                                                    {"shoot", "-n", "0"},
                                                    {"card", "get"}}) {
    const Result result = Run(arguments);
    EXPECT_NE(result.ExitCode, 0) << arguments.front();
    EXPECT_NE(result.ExitCode, 1) << arguments.front() << ": " << result.Err;
  }
}

TEST_F(CommandLineTest, ShootFetchesEachPictureIntoTheFolder) {
  UseScenario(OneCamera);
  const std::string pictures = folder.file("pictures");
  const Result shoot = Run({"--quiet", "shoot", "-n", "2", "-o", pictures});
  ASSERT_EQ(shoot.ExitCode, 0) << shoot.Err;
  for (const char* name : {"shot-001.jpg", "shot-002.jpg"}) {
    const std::string file = platform::joinPath(pictures, name);
    EXPECT_EQ(StartOf(file, 2), JpegStart) << file;
    EXPECT_NE(shoot.Out.find("saved " + file), std::string::npos) << shoot.Out;
  }
  EXPECT_EQ(shoot.Err, "") << "no progress bar when quiet";
}

TEST_F(CommandLineTest, ShootAllFiresEveryCameraAndFetchesIntoAFolderPerCamera) {
  UseScenario(R"json({
    "eos": { "cameras": [ { "model": "Rig A", "bodyId": 501 }, { "model": "Rig B", "bodyId": 502 },
                          { "model": "Rig C", "bodyId": 503 } ] },
    "pr": { "cameras": [ { "model": "Rig D", "bodyId": 504 } ] }
  })json");
  const std::string pictures = folder.file("rig");
  const Result shoot = Run({"--json", "shoot", "--all", "-n", "2", "-o", pictures});
  ASSERT_EQ(shoot.ExitCode, 0) << shoot.Err;
  const nlohmann::json rig = nlohmann::json::parse(shoot.Out);
  ASSERT_EQ(rig["cameras"].size(), 4U) << shoot.Out;
  const std::vector<std::pair<std::string, int>> cameras = {
      {"eos-0", 501}, {"eos-1", 502}, {"eos-2", 503}, {"powershot-0", 504}};
  for (std::size_t i = 0; i < cameras.size(); ++i) {
    const auto& [subfolder, bodyId] = cameras[i];
    EXPECT_EQ(rig["cameras"][i]["pictures"].size(), 2U) << shoot.Out;
    for (int shot = 1; shot <= 2; ++shot) {
      const std::string file = platform::joinPath(platform::joinPath(pictures, subfolder),
                                                  "shot-00" + std::to_string(shot) + ".jpg");
      // Each picture names the camera that took it and its shot.
      EXPECT_TRUE(MarkedAs(file, bodyId, shot)) << file;
    }
    // Off a terminal each camera leaves one line, its final state.
    EXPECT_EQ(LinesStartingWith(shoot.Err, subfolder + ":"),
              std::vector<std::string>{subfolder + ": 2 pictures in " +
                                       platform::joinPath(pictures, subfolder)})
        << shoot.Err;
  }
  EXPECT_NE(shoot.Err.find("firing 4 cameras together"), std::string::npos) << shoot.Err;
  EXPECT_EQ(shoot.Err.find_first_of("\r\x1b"), std::string::npos) << shoot.Err;
}

TEST_F(CommandLineTest, ShootAllReportsACameraUnpluggedMidFetchWhileTheOthersDeliver) {
  // Camera 1 comes unplugged half way through the first download of the rig.
  UseScenario(R"json({
    "eos": { "cameras": [
      { "model": "Rig A", "bodyId": 601 },
      { "model": "Rig B", "bodyId": 602, "unplugDuring": { "entryPoint": "EdsDownload" } },
      { "model": "Rig C", "bodyId": 603 } ] }
  })json");
  const std::string pictures = folder.file("rig");
  const Result shoot = Run({"--json", "shoot", "--all", "-n", "3", "-o", pictures});
  EXPECT_EQ(shoot.ExitCode, 1) << shoot.Err;
  const nlohmann::json rig = nlohmann::json::parse(shoot.Out);
  ASSERT_EQ(rig["cameras"].size(), 3U) << shoot.Out;
  for (const auto& [camera, bodyId] : std::vector<std::pair<int, int>>{{0, 601}, {2, 603}}) {
    const nlohmann::json& delivered = rig["cameras"][camera];
    EXPECT_FALSE(delivered.contains("error")) << shoot.Out;
    ASSERT_EQ(delivered["pictures"].size(), 3U) << shoot.Out;
    for (int shot = 1; shot <= 3; ++shot) {
      EXPECT_TRUE(
          MarkedAs(delivered["pictures"][shot - 1]["file"].get<std::string>(), bodyId, shot))
          << shoot.Out;
    }
  }

  // The unplugged camera says why it stopped; what it saved is whole, and
  // nothing half written or temporary is left beside it.
  const nlohmann::json& unplugged = rig["cameras"][1];
  ASSERT_TRUE(unplugged.contains("error")) << shoot.Out;
  EXPECT_NE(unplugged["error"].get<std::string>().find("isconnected"), std::string::npos)
      << unplugged["error"];
  ASSERT_LE(unplugged["pictures"].size(), 1U) << shoot.Out;
  std::vector<std::string> saved;
  for (const nlohmann::json& picture : unplugged["pictures"]) {
    EXPECT_TRUE(MarkedAs(picture["file"].get<std::string>(), 602, 1)) << shoot.Out;
    saved.push_back(std::filesystem::path(picture["file"].get<std::string>()).filename().string());
  }
  EXPECT_EQ(FilesIn(platform::joinPath(pictures, "eos-1")), saved);

  // One final line per camera; the failure, with what to do, ends the output.
  EXPECT_EQ(LinesStartingWith(shoot.Err, "eos-0:").size(), 1U) << shoot.Err;
  EXPECT_EQ(LinesStartingWith(shoot.Err, "eos-2:").size(), 1U) << shoot.Err;
  const std::vector<std::string> failed = LinesStartingWith(shoot.Err, "eos-1:");
  ASSERT_EQ(failed.size(), 1U) << shoot.Err;
  EXPECT_EQ(failed[0].rfind("eos-1: failed at shot-00", 0), 0U) << failed[0];
  EXPECT_NE(shoot.Err.find("vostrel: 1 of 3 cameras did not deliver every picture"),
            std::string::npos)
      << shoot.Err;
  EXPECT_NE(shoot.Err.find("eos-1 stopped at shot-00"), std::string::npos) << shoot.Err;
}

TEST_F(CommandLineTest, DemoRunsAWholeSession) {
  UseScenario(OneCamera);
  const std::string pictures = folder.file("demo");
  const Result demo = Run({"demo", "-n", "2", "-o", pictures});
  ASSERT_EQ(demo.ExitCode, 0) << demo.Err;
  EXPECT_NE(demo.Out.find("eos:0\tEOS Bench"), std::string::npos) << demo.Out;
  EXPECT_NE(demo.Out.find("body ID:  4242"), std::string::npos) << demo.Out;
  EXPECT_NE(demo.Out.find("shots available: 20"), std::string::npos) << demo.Out;
  EXPECT_EQ(StartOf(platform::joinPath(pictures, "shot-002.jpg"), 2), JpegStart);
  EXPECT_FALSE(platform::fileExists(platform::joinPath(pictures, "shot-003.jpg")));
  // The last line names everything the demo left behind.
  const std::string last = demo.Out.substr(demo.Out.rfind('\n', demo.Out.size() - 2) + 1);
  EXPECT_EQ(last.rfind("Left behind in ", 0), 0U) << last;
  EXPECT_NE(last.find(": shot-001.jpg, shot-002.jpg, IMG_0002.CR2, IMG_0002.tif and "
                      "IMG_0002-5200K.jpg; 3 thumbnails in thumbnails; the 2 new pictures stay "
                      "on the camera's card\n"),
            std::string::npos)
      << last;
  // Standard error is a file here: each transfer leaves one final line and
  // no bar redrawn in place.
  EXPECT_NE(demo.Err.find("shot-001.jpg: 100%\nshot-002.jpg: 100%\n"), std::string::npos)
      << demo.Err;
  EXPECT_EQ(demo.Err.find('\r'), std::string::npos) << demo.Err;

  // The shots were kept on the card too, after the two pictures it held.
  EXPECT_NE(demo.Out.find("  4 pictures on the card\n  0\tIMG_0001.JPG\n  1\tIMG_0002.CR2\n"
                          "  2\tIMG_0003.JPG\n  3\tIMG_0004.JPG\n"),
            std::string::npos)
      << demo.Out;
  const std::string thumbnails = platform::joinPath(pictures, "thumbnails");
  for (const char* name : {"IMG_0001-thumb.jpg", "IMG_0003-thumb.jpg", "IMG_0004-thumb.jpg"}) {
    EXPECT_EQ(StartOf(platform::joinPath(thumbnails, name), 2), JpegStart) << name;
  }
  EXPECT_FALSE(platform::fileExists(platform::joinPath(thumbnails, "IMG_0002-thumb.jpg")));
  EXPECT_EQ(StartOf(platform::joinPath(pictures, "IMG_0002.CR2"), 7), "VSRAW01");
  const std::string tiff = platform::joinPath(pictures, "IMG_0002.tif");
  EXPECT_EQ(StartOf(tiff, 4), std::string("II*\0", 4));
  EXPECT_EQ(StartOf(platform::joinPath(pictures, "IMG_0002-5200K.jpg"), 2), JpegStart);
  EXPECT_NE(demo.Out.find("Stopping the camera SDKs\n"), std::string::npos) << demo.Out;
#ifndef _WIN32
  // libtiff's own reader agrees on what was written.
  const std::string info = TiffInfo(tiff);
  EXPECT_NE(info.find("Image Width: 160 Image Length: 120"), std::string::npos) << info;
  EXPECT_NE(info.find("Bits/Sample: 16"), std::string::npos) << info;
  EXPECT_NE(info.find("Samples/Pixel: 3"), std::string::npos) << info;
#endif
}

const char* const PowerShotCamera = R"json({
  "pr": {
    "cameras": [
      {
        "model": "PowerShot Bench",
        "owner": "Lab 6",
        "viewfinder": { "width": 160, "height": 120, "framesPerSecond": 100 },
        "properties": {
          "Zoom": { "value": 2, "accepted": { "min": 0, "max": 12 } },
          "DigitalZoomStart": 9
        }
      }
    ]
  }
})json";

TEST_F(CommandLineTest, TheLiveFunctionsOfAPowerShotCamera) {
  UseScenario(PowerShotCamera);
  const Result get = Run({"--camera", "powershot:0", "zoom"});
  ASSERT_EQ(get.ExitCode, 0) << get.Err;
  EXPECT_EQ(get.Out, "zoom position 2 of 0 to 12 (optical up to 8, digital beyond)\n");
  const Result set = Run({"--camera", "powershot:0", "zoom", "set", "12"});
  ASSERT_EQ(set.ExitCode, 0) << set.Err;
  EXPECT_EQ(set.Out, "zoom position 12 of 0 to 12 (optical up to 8, digital beyond)\n");
  const Result outside = Run({"--camera", "powershot:0", "zoom", "set", "13"});
  EXPECT_EQ(outside.ExitCode, 1);
  EXPECT_EQ(outside.Err, "vostrel: Zoom position 13 is outside the camera's range of 0 to 12\n");

  const Result lock = Run({"--camera", "powershot:0", "af-lock", "on"});
  EXPECT_EQ(lock.ExitCode, 0) << lock.Err;
  EXPECT_EQ(lock.Out, "focus locked\n");
  const Result output = Run({"--camera", "powershot:0", "viewfinder-output", "video"});
  EXPECT_EQ(output.ExitCode, 0) << output.Err;
  const Result automatic = Run({"--camera", "powershot:0", "auto"});
  EXPECT_EQ(automatic.ExitCode, 0) << automatic.Err;
  EXPECT_EQ(automatic.Out, "exposure, focus and white balance set by the camera\n");

  const std::string frames = folder.file("frames");
  const Result viewfinder = Run({"--camera", "powershot:0", "viewfinder", "-n", "4", "-o", frames});
  ASSERT_EQ(viewfinder.ExitCode, 0) << viewfinder.Err;
  EXPECT_EQ(viewfinder.Out.rfind("4 frames in ", 0), 0u) << viewfinder.Out;
  EXPECT_NE(viewfinder.Out.find(" frames/s) saved in "), std::string::npos) << viewfinder.Out;
  for (const char* name : {"frame-001.jpg", "frame-004.jpg"}) {
    EXPECT_EQ(StartOf(platform::joinPath(frames, name), 2), JpegStart) << name;
  }
  EXPECT_NE(platform::readFile(platform::joinPath(frames, "frame-001.jpg")),
            platform::readFile(platform::joinPath(frames, "frame-002.jpg")));

  const Result timed = Run({"--camera", "powershot:0", "viewfinder", "-t", "0.2", "-o", frames});
  ASSERT_EQ(timed.ExitCode, 0) << timed.Err;
  EXPECT_NE(timed.Out.find(" frames in 0."), std::string::npos) << timed.Out;
}

TEST_F(CommandLineTest, ACameraWithoutALiveFunctionSaysSo) {
  UseScenario(OneCamera);
  const Result zoom = Run({"zoom"});
  EXPECT_EQ(zoom.ExitCode, 1);
  EXPECT_EQ(zoom.Err, "vostrel: EOS Bench has no zoom that the PC can drive\n");
  const Result viewfinder = Run({"viewfinder", "-n", "2"});
  EXPECT_EQ(viewfinder.ExitCode, 1);
  EXPECT_EQ(viewfinder.Err, "vostrel: EOS Bench has no live viewfinder that the PC can show\n");
  const Result lock = Run({"af-lock", "off"});
  EXPECT_EQ(lock.ExitCode, 1);
  EXPECT_EQ(lock.Err, "vostrel: EOS Bench cannot lock its focus from the PC\n");
  // The viewfinder's output and automatic functions work only with a viewfinder.
  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{"viewfinder-output", "lcd"}, {"auto"}}) {
    const Result result = Run(arguments);
    EXPECT_EQ(result.ExitCode, 1) << arguments.front();
    EXPECT_EQ(result.Err, "vostrel: EOS Bench has no live viewfinder that the PC can show\n")
        << arguments.front();
    EXPECT_EQ(result.Out, "") << arguments.front();
  }
}

TEST_F(CommandLineTest, DemoRunsAPowerShotSessionAfterTheEOSOne) {
  const std::string both = R"json({
  "eos": { "cameras": [ { "model": "EOS Bench", "availableShots": 20 } ] },
  "pr": { "cameras": [ { "model": "PowerShot Bench",
                         "viewfinder": { "width": 160, "height": 120, "framesPerSecond": 100 } } ] }
})json";
  UseScenario(both);
  const std::string pictures = folder.file("demo");
  const Result demo = Run({"demo", "-n", "1", "-o", pictures});
  ASSERT_EQ(demo.ExitCode, 0) << demo.Err;
  const std::size_t eos = demo.Out.find("Connecting eos:0");
  const std::size_t powershot = demo.Out.find("Connecting powershot:0");
  ASSERT_NE(eos, std::string::npos) << demo.Out;
  ASSERT_NE(powershot, std::string::npos) << demo.Out;
  EXPECT_LT(eos, powershot);
  EXPECT_NE(demo.Out.find("zoomed in: zoom position 7 of 0 to 20"), std::string::npos) << demo.Out;
  EXPECT_NE(demo.Out.find("viewfinder: 15 frames in "), std::string::npos) << demo.Out;
  EXPECT_EQ(StartOf(platform::joinPath(pictures, "viewfinder/frame-015.jpg"), 2), JpegStart);
  EXPECT_EQ(StartOf(platform::joinPath(pictures, "powershot-001.jpg"), 2), JpegStart);
  EXPECT_NE(demo.Out.find(": shot-001.jpg and powershot-001.jpg; "), std::string::npos) << demo.Out;
  // The probe and the transfer reported their progress (one final line each,
  // stderr being a file).
  EXPECT_NE(demo.Err.find("settings: 100%\n"), std::string::npos) << demo.Err;
  EXPECT_NE(demo.Err.find("powershot-001.jpg: 100%\n"), std::string::npos) << demo.Err;

  const Result only = Run({"demo", "--family", "powershot", "-o", pictures});
  ASSERT_EQ(only.ExitCode, 0) << only.Err;
  EXPECT_EQ(only.Out.find("Connecting eos:0"), std::string::npos) << only.Out;
  EXPECT_NE(only.Out.find(": powershot-001.jpg; 15 viewfinder frames in viewfinder\n"),
            std::string::npos)
      << only.Out;

  // pr runs the newer PowerShot camera's session alone.
  const std::string prFolder = folder.file("pr");
  const Result pr = Run({"demo", "--family", "pr", "-o", prFolder});
  ASSERT_EQ(pr.ExitCode, 0) << pr.Err;
  EXPECT_EQ(pr.Out.find("Connecting eos:0"), std::string::npos) << pr.Out;
  EXPECT_EQ(pr.Out.find("(CD)"), std::string::npos) << pr.Out;
  EXPECT_EQ(StartOf(platform::joinPath(prFolder, "viewfinder/frame-015.jpg"), 2), JpegStart);
  const std::string last = pr.Out.substr(pr.Out.rfind('\n', pr.Out.size() - 2) + 1);
  EXPECT_EQ(last, "Left behind in " +
                      std::filesystem::absolute(prFolder).lexically_normal().string() +
                      ": powershot-001.jpg; 15 viewfinder frames in viewfinder\n");
}

TEST_F(CommandLineTest, CardPicturesDownloadAndRawFilesDevelop) {
  UseScenario(OneCamera);
  const Result list = Run({"card", "list"});
  EXPECT_EQ(list.ExitCode, 0) << list.Err;
  EXPECT_EQ(list.Out, "0\tIMG_0001.JPG\n1\tIMG_0002.CR2\n");

  const std::string card = folder.file("card");
  const Result get = Run({"-q", "card", "get", "--all", "-o", card});
  EXPECT_EQ(get.ExitCode, 0) << get.Err;
  EXPECT_EQ(StartOf(platform::joinPath(card, "IMG_0001.JPG"), 2), JpegStart);
  const std::string raw = platform::joinPath(card, "IMG_0002.CR2");
  EXPECT_EQ(StartOf(raw, 7), "VSRAW01");

  // The RAW picture has no thumbnail: reported, skipped, and the command fails.
  const std::string thumbnails = folder.file("thumbnails");
  const Result thumbs = Run({"card", "thumbnails", "--all", "-o", thumbnails});
  EXPECT_EQ(thumbs.ExitCode, 1);
  EXPECT_EQ(StartOf(platform::joinPath(thumbnails, "IMG_0001-thumb.jpg"), 2), JpegStart);
  EXPECT_FALSE(platform::fileExists(platform::joinPath(thumbnails, "IMG_0002-thumb.jpg")));
  EXPECT_NE(thumbs.Err.find("IMG_0002.CR2"), std::string::npos) << thumbs.Err;

  const std::string tiff = folder.file("developed.tif");
  const std::string profile = folder.file("profile.icc");
  platform::writeFile(profile, std::vector<std::uint8_t>(300, 0x5A));
  const Result develop =
      Run({"raw", "develop", raw, tiff, "--kelvin", "6000", "--bits", "48", "--icc", profile});
  EXPECT_EQ(develop.ExitCode, 0) << develop.Err;
  EXPECT_EQ(StartOf(tiff, 4), std::string("II*\0", 4));
#ifndef _WIN32
  const std::string info = TiffInfo(tiff);
  EXPECT_NE(info.find("Bits/Sample: 16"), std::string::npos) << info;
  EXPECT_NE(info.find("ICC Profile: <present>, 300 bytes"), std::string::npos) << info;
#endif
  // The text form names the white balance the picture was taken with and
  // those it can be developed with, by their meanings.
  const Result rawInfo = Run({"raw", "info", raw});
  EXPECT_EQ(rawInfo.ExitCode, 0) << rawInfo.Err;
  EXPECT_EQ(rawInfo.Out.substr(0, rawInfo.Out.find('\n') + 1), "white balance:  1 (auto)\n")
      << rawInfo.Out;
  EXPECT_NE(rawInfo.Out.find("\nkelvin:         0 (no value)\nwhite balances it can be developed "
                             "with: auto, "),
            std::string::npos)
      << rawInfo.Out;
  // A white balance the picture cannot be developed with is refused, naming
  // those it can.
  const Result unknown =
      Run({"raw", "develop", raw, folder.file("custom.jpg"), "--white-balance", "custom 1"});
  EXPECT_EQ(unknown.ExitCode, 1);
  EXPECT_EQ(unknown.Err, "vostrel: IMG_0002.CR2 cannot be developed with the white balance 9 "
                         "(custom 1); it can be with auto, daylight, cloudy, tungsten, "
                         "fluorescent, flash, custom, shade, colour temperature, PC 1, PC 2 and "
                         "PC 3\n");
  EXPECT_FALSE(platform::fileExists(folder.file("custom.jpg")));

  const std::string jpeg = folder.file("developed.jpg");
  const Result developJpeg = Run({"raw", "develop", raw, jpeg, "--format", "jpeg"});
  EXPECT_EQ(developJpeg.ExitCode, 0) << developJpeg.Err;
  EXPECT_EQ(StartOf(jpeg, 2), JpegStart);
}

TEST_F(CommandLineTest, ParametersAreShownSavedAndApplied) {
  UseScenario(OneCamera);
  const Result get = Run({"params", "get", "ISO", "PictureStyle.Contrast"});
  EXPECT_EQ(get.ExitCode, 0) << get.Err;
  EXPECT_EQ(get.Out.rfind("ISO = ", 0), 0U) << get.Out;
  EXPECT_NE(get.Out.find("\nPictureStyle.Contrast = "), std::string::npos) << get.Out;

  const std::string file = folder.file("params.bin");
  const Result save = Run({"params", "save", file});
  EXPECT_EQ(save.ExitCode, 0) << save.Err;
  // The tag 44 and one 44-byte record.
  EXPECT_EQ(StartOf(file, 4), std::string("\x2C\0\0\0", 4));
  EXPECT_EQ(platform::readFile(file).size(), 48U);
  const Result load = Run({"params", "load", file});
  EXPECT_EQ(load.ExitCode, 0) << load.Err;

  const Result unknown = Run({"params", "set", "ISO=5", "Speed=3"});
  EXPECT_EQ(unknown.ExitCode, 1);
  EXPECT_EQ(
      unknown.Err.rfind("vostrel: Unknown parameter Speed; the parameters are CompQuality, ", 0),
      0U)
      << unknown.Err;
}

TEST_F(CommandLineTest, ParametersAreShownInPhotographersTerms) {
  UseScenario(OneCamera);
  const Result get =
      Run({"params", "get", "Av", "Tv", "ISO", "ExposureCompensation", "WhiteBalanceSetting",
           "DriveMode", "MLWeiMode", "CompQuality", "ImageSize", "PictureStyle.Sharpness",
           "PictureStyle.MonochromeFilter", "WhiteBalanceShift.WBShiftEnabled", "StrobeSetting"});
  ASSERT_EQ(get.ExitCode, 0) << get.Err;
  // The simulated camera's settings: Av code 0x28, Tv 0x60, ISO 0x48, no
  // compensation, auto white balance, single shots, evaluative metering,
  // superfine large JPEG, and no flash property (no value).
  EXPECT_EQ(get.Out, "Av = 13 (f/4)\n"
                     "Tv = 32 (1/30)\n"
                     "ISO = 5 (ISO 100)\n"
                     "ExposureCompensation = 7 (0 EV)\n"
                     "WhiteBalanceSetting = 1 (auto)\n"
                     "DriveMode = 1 (single)\n"
                     "MLWeiMode = 4 (evaluative)\n"
                     "CompQuality = 4 (superfine)\n"
                     "ImageSize = 1 (large)\n"
                     "PictureStyle.Sharpness = 3\n"
                     "PictureStyle.MonochromeFilter = 0 (none)\n"
                     "WhiteBalanceShift.WBShiftEnabled = 1 (yes)\n"
                     "StrobeSetting = 0 (no value)\n");

  const Result supported = Run(
      {"params", "supported", "Av", "ISO", "WhiteBalanceSetting", "PictureStyle", "StrobeSetting"});
  ASSERT_EQ(supported.ExitCode, 0) << supported.Err;
  EXPECT_NE(supported.Out.find("Av: 7 (f/2), 8 (f/2.2), "), std::string::npos) << supported.Out;
  EXPECT_NE(supported.Out.find(", 31 (f/32)\n"), std::string::npos) << supported.Out;
  EXPECT_NE(supported.Out.find("ISO: 1 (auto), 5 (ISO 100), 6 (ISO 125), "), std::string::npos)
      << supported.Out;
  EXPECT_NE(supported.Out.find("WhiteBalanceSetting: 1 (auto), 2 (daylight), 3 (cloudy), 4 "
                               "(tungsten), 5 (fluorescent), 6 (flash), 7 (custom), 12 (shade), "
                               "13 (colour temperature)\n"),
            std::string::npos)
      << supported.Out;
  EXPECT_NE(supported.Out.find("PictureStyle: supported\nStrobeSetting: none\n"), std::string::npos)
      << supported.Out;
  EXPECT_EQ(supported.Out.find("0001"), std::string::npos) << "no bit strings: " << supported.Out;
}

TEST_F(CommandLineTest, ParametersAreSetInPhotographersTermsAndReachTheCamera) {
  UseScenario(OneCamera);
  const Result set = RunLogged({"params", "set", "Av=5.6", "Tv=1/125", "ISO=400",
                                "WhiteBalance=daylight", "ExposureCompensation=-2/3"});
  ASSERT_EQ(set.ExitCode, 0) << set.Err;
  // f/5.6, 1/125 and ISO 400 on the camera's scales; daylight is white-balance
  // code 1 and -2/3 stop the compensation code -5 (0xFB).
  EXPECT_EQ(PropertyWrites(set.CallLog),
            (std::vector<std::string>{"0x0000000B=02000000", "0x00000405=30000000",
                                      "0x00000406=70000000", "0x00000402=58000000",
                                      "0x00000106=01000000", "0x00000407=FB000000"}))
      << set.CallLog;

  // Other spellings of the same settings, and public values with '#'.
  const Result other = RunLogged({"params", "set", "Aperture=f/8", "ShutterSpeed=30s", "ISO=#11",
                                  "ExposureCompensation=+1 1/3", "WhiteBalanceSetting=Shade"});
  ASSERT_EQ(other.ExitCode, 0) << other.Err;
  const std::vector<std::string> writes = PropertyWrites(other.CallLog);
  for (const char* expected : {"0x00000405=38000000", "0x00000406=10000000", "0x00000402=58000000",
                               "0x00000407=0B000000", "0x00000106=08000000"}) {
    EXPECT_NE(std::find(writes.begin(), writes.end(), expected), writes.end())
        << expected << " in\n"
        << other.CallLog;
  }

  // A number that is both an f-number and a public value is refused before
  // anything is written, and so is a value the parameter cannot take.
  const Result ambiguous = RunLogged({"params", "set", "ISO=400", "Av=8"});
  EXPECT_EQ(ambiguous.ExitCode, 1);
  EXPECT_EQ(ambiguous.Err, "vostrel: 8 could be f/8 or value 8 (f/2.2): write f/8 or #8\n");
  EXPECT_EQ(PropertyWrites(ambiguous.CallLog), std::vector<std::string>{"0x0000000B=02000000"});
  // A value the tool does not know, or one the camera did not take, is
  // refused listing what this camera takes: it is probed for that.
  const Result wrong = Run({"-q", "params", "set", "WhiteBalance=sunny"});
  EXPECT_EQ(wrong.ExitCode, 1);
  EXPECT_EQ(wrong.Err, "vostrel: WhiteBalanceSetting cannot be sunny; the camera takes auto, "
                       "daylight, cloudy, tungsten, fluorescent, flash, custom, shade and colour "
                       "temperature\n");
  const Result notTaken = Run({"-q", "params", "set", "Av=f/1.4"});
  EXPECT_EQ(notTaken.ExitCode, 1);
  EXPECT_EQ(notTaken.Err.rfind("vostrel: The camera did not take 1 of 1 values: Av (wanted 4 "
                               "(f/1.4), the camera has 13 (f/4); it takes f/2, f/2.2, ",
                               0),
            0U)
      << notTaken.Err;
  EXPECT_NE(notTaken.Err.find(", f/29 and f/32)\n"), std::string::npos) << notTaken.Err;

  // After a probe the message lists what this camera takes: its apertures
  // run from code 24 (f/2) to 88 (f/32).
  const Result refused = Run({"-q", "params", "set", "--check", "Av=f/1.4"});
  EXPECT_EQ(refused.ExitCode, 1);
  EXPECT_EQ(refused.Err.rfind("vostrel: Av cannot be f/1.4; the camera takes f/2, f/2.2, ", 0), 0U)
      << refused.Err;
  EXPECT_NE(refused.Err.find(", f/29 and f/32\n"), std::string::npos) << refused.Err;
}

// The same word reaches every PowerShot camera as the same setting: "high"
// sharpness is the level +1, which the CD cameras number as public value 1
// and the PR cameras as 3.
TEST_F(CommandLineTest, LevelsMeanWhatTheConnectedCameraDoes) {
  UseScenario(R"json({
    "eos": { "cameras": [] },
    "cd": { "cameras": [ { "model": "Simulated Classic" } ] },
    "pr": { "cameras": [ { "model": "PowerShot Bench" } ] }
  })json");
  // An older PowerShot camera without an owner name has no body ID either.
  const Result info = Run({"--camera", "powershot:0", "info"});
  EXPECT_NE(info.Out.find("owner:    (none)\n"), std::string::npos) << info.Out;
  EXPECT_NE(info.Out.find("body ID:  (none)\n"), std::string::npos) << info.Out;
  // A newer PowerShot camera in program AE takes apertures but sets its own.
  const Result program = Run({"-q", "--camera", "powershot:1", "params", "set", "Av=f/5.6"});
  EXPECT_EQ(program.ExitCode, 1);
  EXPECT_EQ(program.Err, "vostrel: The camera did not take 1 of 1 values: Av (wanted 16 (f/5.6), "
                         "the camera has 0 (no value); it sets none in its image mode 16 "
                         "(program AE))\n");
  // The list tells the two kinds of PowerShot camera apart.
  EXPECT_EQ(Run({"list"}).Out, "powershot:0\tSimulated Classic\t(older PowerShot, CD)\n"
                               "powershot:1\tPowerShot Bench\t(newer PowerShot, PR)\n");
  const nlohmann::json cameras = nlohmann::json::parse(Run({"--json", "list"}).Out)["cameras"];
  ASSERT_EQ(cameras.size(), 2U);
  EXPECT_EQ(cameras[0]["kind"], "cd");
  EXPECT_EQ(cameras[1]["kind"], "pr");
  // Each run starts from the scenario again: what the camera took is read in
  // the run that set it.
  struct Case {
    std::string Camera;
    std::string Write;
    std::int32_t Value;
  };
  for (const Case& check : {Case{"powershot:0", "CDSetRelCamSettingData(source#", 1},
                            Case{"powershot:1", "PR_SetDevicePropValue(camera#", 3}}) {
    const Result set =
        RunLogged({"--json", "--camera", check.Camera, "params", "set", "Sharpness=high"});
    ASSERT_EQ(set.ExitCode, 0) << check.Camera << ": " << set.Err;
    const std::string setting =
        check.Camera == "powershot:0" ? ", 0x0800000A, 1, 01)" : ", 0x0000D019, 1, 01)";
    std::string sent;
    std::istringstream lines(set.CallLog);
    for (std::string line; std::getline(lines, line);) {
      if (line.rfind(check.Write, 0) == 0 && line.find(setting) != std::string::npos) {
        sent = line;
      }
    }
    EXPECT_NE(sent, "") << check.Camera << ": the level +1 in\n" << set.CallLog;
    const nlohmann::json taken = nlohmann::json::parse(set.Out)["parameters"][0];
    EXPECT_EQ(taken["camera"], nlohmann::json({{"value", check.Value}, {"meaning", "high"}}))
        << check.Camera << ": " << set.Out;
  }
  // -1 is a level; a bare 1 could be the level +1 or public value 1, except
  // where both are the same setting.
  const Result low = Run({"--json", "--camera", "powershot:1", "params", "set", "Contrast=-1"});
  ASSERT_EQ(low.ExitCode, 0) << low.Err;
  EXPECT_EQ(nlohmann::json::parse(low.Out)["parameters"][0]["camera"],
            nlohmann::json({{"value", 1}, {"meaning", "low"}}));
  const Result ambiguous = Run({"--camera", "powershot:1", "params", "set", "Contrast=1"});
  EXPECT_EQ(ambiguous.ExitCode, 1);
  EXPECT_EQ(ambiguous.Err, "vostrel: 1 could be high or value 1 (low): write high or #1\n");
  EXPECT_EQ(Run({"--camera", "powershot:0", "params", "set", "Sharpness=1"}).ExitCode, 0);
}

// Only the names of the parameters and their kind numbers name parameters;
// a group is named by its fields.
TEST_F(CommandLineTest, ParameterNamesAreCheckedAndGroupsNamedByTheirFields) {
  UseScenario(OneCamera);
  const Result unknown = RunLogged({"params", "get", "42"});
  EXPECT_EQ(unknown.ExitCode, 1);
  EXPECT_EQ(unknown.Err.rfind("vostrel: Unknown parameter 42; the parameters are CompQuality, ", 0),
            0U)
      << unknown.Err;
  EXPECT_EQ(unknown.CallLog.find("EdsOpenSession"), std::string::npos)
      << "refused before connecting";
  const Result unknownSet = RunLogged({"params", "set", "99=1"});
  EXPECT_EQ(unknownSet.ExitCode, 1);
  EXPECT_EQ(unknownSet.Err.rfind("vostrel: Unknown parameter 99; ", 0), 0U) << unknownSet.Err;
  EXPECT_EQ(PropertyWrites(unknownSet.CallLog), std::vector<std::string>{"0x0000000B=02000000"})
      << "nothing but the release target written";
  // Kind 22 is the aperture, as the automation interface numbers it.
  EXPECT_EQ(Run({"params", "get", "22"}).Out, "Av = 13 (f/4)\n");

  const std::string styleFields =
      "PictureStyle is a group of fields; name one of them: PictureStyle.Enabled, "
      "PictureStyle.Contrast, PictureStyle.Sharpness, PictureStyle.Saturation, ";
  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{"params", "get", "PictureStyle"},
        {"params", "set", "pictureStyle=1"},
        {"params", "get", "16"}}) {
    const Result group = Run(arguments);
    EXPECT_EQ(group.ExitCode, 1) << arguments.back();
    EXPECT_EQ(group.Err.rfind("vostrel: " + styleFields, 0), 0U) << group.Err;
  }
  const Result shift = Run({"params", "set", "WhiteBalanceShift=yes"});
  EXPECT_EQ(shift.ExitCode, 1);
  EXPECT_EQ(shift.Err, "vostrel: WhiteBalanceShift is a group of fields; name one of them: "
                       "WhiteBalanceShift.WBShiftEnabled, WhiteBalanceShift.AmberBlue, "
                       "WhiteBalanceShift.GreenMagenta\n");
}

TEST_F(CommandLineTest, SettingWithJsonReportsWhatTheCameraTook) {
  UseScenario(R"json({"eos": {"cameras": [{"model": "EOS Stubborn",
      "properties": {"Av": {"value": 40, "readBack": "unchanged"}}}]}})json");
  const Result set = Run({"-q", "--json", "params", "set", "Av=f/5.6", "ISO=400"});
  EXPECT_EQ(set.ExitCode, 1);
  EXPECT_EQ(set.Err.rfind("vostrel: The camera did not take 1 of 2 values: Av (wanted ", 0), 0U)
      << set.Err;
  const nlohmann::json document = nlohmann::json::parse(set.Out);
  EXPECT_EQ(document["notTaken"], 1);
  EXPECT_EQ(document["parameters"][0], nlohmann::json::parse(R"({"name": "Av",
      "wanted": {"value": 16, "meaning": "f/5.6"}, "camera": {"value": 13, "meaning": "f/4"},
      "taken": false})"));
  EXPECT_EQ(document["parameters"][1]["name"], "ISO");
  EXPECT_EQ(document["parameters"][1]["taken"], true);

  // A command without a document says so and prints its text.
  const Result save = Run({"--json", "params", "save", folder.file("p.dat")});
  EXPECT_EQ(save.ExitCode, 0) << save.Err;
  EXPECT_EQ(save.Err, "vostrel: params save has no JSON output; --json is ignored\n");
}

#ifndef _WIN32
// On a terminal the bar is redrawn in place. script(1) gives the program a
// pseudo-terminal; its output (stdout and stderr together) is the transcript.
TEST_F(CommandLineTest, OnATerminalTheProgressBarIsRedrawnInPlace) {
  if (std::system("script --version > /dev/null 2>&1") != 0) {
    GTEST_SKIP() << "no script(1) on this machine";
  }
  UseScenario(OneCamera);
  std::string text;
  ASSERT_NO_FATAL_FAILURE(RunOnATerminal("shoot -n 1 -o " + Quote(folder.file("tty")), text));
  EXPECT_NE(text.find("\rshot-001.jpg ["), std::string::npos) << text;
  EXPECT_NE(text.find("] 100%"), std::string::npos) << text;
  EXPECT_EQ(text.find("shot-001.jpg: 100%"), std::string::npos) << "no final line on a terminal";
}

// On a terminal shoot --all draws a line per camera and redraws them in place.
TEST_F(CommandLineTest, OnATerminalTheRigDrawsALinePerCameraRedrawnInPlace) {
  if (std::system("script --version > /dev/null 2>&1") != 0) {
    GTEST_SKIP() << "no script(1) on this machine";
  }
  UseScenario(R"json({"eos": {"cameras": [{"model": "Rig A"}, {"model": "Rig B"}]}})json");
  std::string text;
  ASSERT_NO_FATAL_FAILURE(RunOnATerminal("shoot --all -n 2 -o " + Quote(folder.file("tty")), text));
  // Both lines are drawn as the first transfer starts, then redrawn from the
  // first one up (how often depends on the pace of the transfers).
  const std::size_t redrawn = text.find("\x1b[2A");
  ASSERT_NE(redrawn, std::string::npos) << text;
  const std::string first = text.substr(0, redrawn);
  EXPECT_NE(first.find(" shot-001.jpg ["), std::string::npos) << text;
  EXPECT_NE(first.find("\reos-0"), std::string::npos) << text;
  EXPECT_NE(first.find("\reos-1"), std::string::npos) << text;
  // The final state stays on the screen, a line per camera.
  const std::string out = folder.file("tty");
  EXPECT_NE(text.find("\reos-0: 2 pictures in " + platform::joinPath(out, "eos-0") + "\x1b[K"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("\reos-1: 2 pictures in " + platform::joinPath(out, "eos-1") + "\x1b[K"),
            std::string::npos)
      << text;
}
#endif

TEST_F(CommandLineTest, ClockFractionsReachTheCameraAsMilliseconds) {
  UseScenario(OneCamera);
  // The EOS date-time record: year, month, day, hour, minute, second and
  // milliseconds, 32 bits each.
  for (const auto& [time, record] : std::vector<std::pair<std::string, std::string>>{
           {"2024-02-29 10:00:00.5", "E8070000020000001D0000000A00000000000000"
                                     "00000000F4010000"},
           {"2024-02-29 10:00:00.05", "E8070000020000001D0000000A00000000000000"
                                      "0000000032000000"},
           {"2024-02-29 10:00:00.123", "E8070000020000001D0000000A00000000000000"
                                       "000000007B000000"}}) {
    const Result clock = RunLogged({"set-clock", "--time", time});
    EXPECT_EQ(clock.ExitCode, 0) << clock.Err;
    EXPECT_EQ(PropertyWrites(clock.CallLog), (std::vector<std::string>{"0x00000006=" + record}))
        << time;
  }
  EXPECT_NE(Run({"set-clock", "--time", "2024-02-29 10:00:00.1234"}).ExitCode, 0);
}

TEST_F(CommandLineTest, JsonOutputIsOneDocumentOnStandardOutput) {
  UseScenario(OneCamera);
  const auto document = [&](const std::vector<std::string>& arguments) {
    const Result result = Run(arguments);
    EXPECT_EQ(result.ExitCode, 0) << arguments.back() << ": " << result.Err;
    return nlohmann::json::parse(result.Out);
  };
  EXPECT_EQ(document({"--json", "list"}),
            nlohmann::json::parse(R"({"cameras": [{"camera": "eos:0", "family": "eos",
                                  "kind": "eos", "number": 0, "model": "EOS Bench"}]})"));

  const nlohmann::json info = document({"info", "--json"});
  EXPECT_EQ(info["model"], "EOS Bench");
  EXPECT_EQ(info["owner"], "Lab 4");
  EXPECT_EQ(info["bodyId"], 4242);
  EXPECT_EQ(info["battery"]["status"], nlohmann::json::parse(R"({"value": 2, "meaning": "weak"})"));

  EXPECT_EQ(document({"--json", "params", "get", "Av", "StrobeSetting"}),
            nlohmann::json::parse(R"({"parameters": [
                {"name": "Av", "value": 13, "meaning": "f/4"},
                {"name": "StrobeSetting", "value": 0, "meaning": null}]})"));

  const nlohmann::json supported =
      document({"--json", "params", "supported", "ColorSpace", "PictureStyle"});
  EXPECT_EQ(supported, nlohmann::json::parse(R"({"parameters": [
                {"name": "ColorSpace", "supported": [{"value": 1, "meaning": "sRGB"},
                                                     {"value": 2, "meaning": "Adobe RGB"}]},
                {"name": "PictureStyle", "supported": true}]})"));

  EXPECT_EQ(document({"--json", "card", "list"}),
            nlohmann::json::parse(R"({"pictures": [{"number": 0, "name": "IMG_0001.JPG"},
                                                   {"number": 1, "name": "IMG_0002.CR2"}]})"));

  const std::string pictures = folder.file("shots");
  const Result shoot = Run({"--json", "shoot", "-n", "2", "-o", pictures});
  ASSERT_EQ(shoot.ExitCode, 0) << shoot.Err;
  const nlohmann::json shot = nlohmann::json::parse(shoot.Out);
  ASSERT_EQ(shot["pictures"].size(), 2U) << shoot.Out;
  EXPECT_EQ(shot["pictures"][1]["file"], platform::joinPath(pictures, "shot-002.jpg"));
  EXPECT_EQ(StartOf(shot["pictures"][0]["path"].get<std::string>(), 2), JpegStart);
  // The messages and the progress went to standard error.
  EXPECT_NE(shoot.Err.find("saved " + platform::joinPath(pictures, "shot-001.jpg")),
            std::string::npos)
      << shoot.Err;

  const std::string raw = folder.file("card");
  ASSERT_EQ(Run({"-q", "card", "get", "1", "-o", raw}).ExitCode, 0);
  const nlohmann::json rawInfo =
      document({"--json", "raw", "info", platform::joinPath(raw, "IMG_0002.CR2")});
  EXPECT_EQ(rawInfo["whiteBalance"]["meaning"], "auto") << rawInfo.dump();
  EXPECT_EQ(rawInfo["whiteBalances"][0],
            nlohmann::json::parse(R"({"value": 1, "meaning": "auto"})"))
      << rawInfo.dump();
}

// Picture names come from the camera: only their file name part is used,
// whatever separators or drive they carry, and a name that leaves none is
// refused rather than written outside the folder.
TEST_F(CommandLineTest, PictureNamesNeverLeaveTheChosenFolder) {
  UseScenario(R"json({"eos": {"cameras": [{"model": "EOS Names", "volumes": [{"files": [
      {"path": "DCIM/100/IMG_0001.JPG", "reportedName": "..\\..\\up.JPG"},
      "DCIM/100/C:x.JPG", {"path": "DCIM/100/..", "kind": "jpeg"}]}]}]}})json");
  const std::string card = folder.file("out/card");
  const Result get = Run({"-q", "card", "get", "--all", "-o", card});
  EXPECT_EQ(get.ExitCode, 1);
  EXPECT_EQ(StartOf(platform::joinPath(card, "up.JPG"), 2), JpegStart);
  EXPECT_EQ(StartOf(platform::joinPath(card, "x.JPG"), 2), JpegStart);
  EXPECT_EQ(get.Err, "vostrel: The camera reports a picture named \"..\", which cannot be saved "
                     "as a file\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.file("out")),
                          std::filesystem::directory_iterator()),
            1);

  const std::string thumbnails = folder.file("out/thumbnails");
  const Result thumbs = Run({"card", "thumbnails", "--all", "-o", thumbnails});
  EXPECT_EQ(thumbs.ExitCode, 1);
  EXPECT_EQ(StartOf(platform::joinPath(thumbnails, "up-thumb.jpg"), 2), JpegStart);
  EXPECT_EQ(StartOf(platform::joinPath(thumbnails, "x-thumb.jpg"), 2), JpegStart);
  EXPECT_NE(thumbs.Err.find("named \"..\""), std::string::npos) << thumbs.Err;
}

// A camera may take a write without taking its value; setting and loading
// read the values back and fail naming what the camera did not take.
TEST_F(CommandLineTest, ParametersTheCameraDidNotTakeAreNamed) {
  // Aperture code 0x30 is f/5.6, 0x28 f/4.
  const std::int32_t f56 = CamLib::ApertureCodeToValue(0x30);
  const std::int32_t f4 = CamLib::ApertureCodeToValue(0x28);
  RemoteParamsType record{};
  record.Av = static_cast<std::uint8_t>(f56);
  const std::string file = folder.file("av.dat");
  platform::writeFile(file, EncodeRemoteParamsFile(record));

  UseScenario(OneCamera);
  const Result taken = Run({"params", "set", "Av=f/4"});
  EXPECT_EQ(taken.ExitCode, 0) << taken.Err;
  const Result loaded = Run({"params", "load", file});
  EXPECT_EQ(loaded.ExitCode, 0) << loaded.Err;
#ifndef _WIN32
  // A device that never ends is refused, not read.
  const Result device = Run({"params", "load", "/dev/zero"});
  EXPECT_EQ(device.ExitCode, 1);
  EXPECT_EQ(device.Err, "vostrel: /dev/zero is not a regular file\n");
#endif

  UseScenario(R"json({"eos": {"cameras": [{"model": "EOS Stubborn",
      "properties": {"Av": {"value": 40, "readBack": "unchanged"}}}]}})json");
  const std::string refused = "vostrel: The camera did not take 1 of 1 values: Av (wanted " +
                              std::to_string(f56) + " (f/5.6), the camera has " +
                              std::to_string(f4) + " (f/4))\n";
  // The camera says it takes f/5.6: no list of what it takes follows.
  const Result set = Run({"-q", "params", "set", "Av=f/5.6"});
  EXPECT_EQ(set.ExitCode, 1);
  EXPECT_EQ(set.Err, refused);
  const Result load = Run({"-q", "params", "load", file});
  EXPECT_EQ(load.ExitCode, 1);
  EXPECT_EQ(load.Err, refused);
}

TEST_F(CommandLineTest, OlderPowerShotCamerasShootAndShowTheirParameters) {
  UseScenario(R"json({
    "eos": { "cameras": [ { "model": "EOS Bench" } ] },
    "cd": { "cameras": [ { "model": "Simulated Classic", "properties": {
      "Av": { "value": 40, "accepted": [32, 40], "enumerable": false },
      "WhiteBalance": { "value": 15, "accepted": [0, 1, 15] },
      "AFDistance": { "value": 9 } } } ] }
  })json");
  const std::string pictures = folder.file("pictures");
  const Result shoot =
      Run({"--quiet", "--camera", "powershot:0", "shoot", "-n", "2", "-o", pictures});
  ASSERT_EQ(shoot.ExitCode, 0) << shoot.Err;
  EXPECT_EQ(StartOf(platform::joinPath(pictures, "shot-002.jpg"), 2), JpegStart);
  // Off a terminal each transfer leaves one line, the release's own included.
  const Result shown = Run({"--camera", "powershot:0", "shoot", "-o", folder.file("shown")});
  ASSERT_EQ(shown.ExitCode, 0) << shown.Err;
  EXPECT_EQ(shown.Err, "taking picture 1: 100%\nshot-001.jpg: 100%\n");

  // Every setting a CD camera reports has a name; the kinds it has not have
  // no value.
  const Result get = Run({"--camera", "powershot:0", "params", "get", "Av", "ImageMode",
                          "WhiteBalance", "AFDistance", "DriveMode"});
  EXPECT_EQ(get.ExitCode, 0) << get.Err;
  EXPECT_EQ(get.Out, "Av = 13 (f/4)\nImageMode = 16 (program AE)\nWhiteBalanceSetting = 9 "
                     "(custom 1)\nAFDistance = 10 (super macro)\nDriveMode = 0 (no value)\n");
  // What the camera does not take, or has not, is named with what it takes.
  const Result notTaken = Run(
      {"-q", "--camera", "powershot:0", "params", "set", "WhiteBalance=shade", "DriveMode=single"});
  EXPECT_EQ(notTaken.ExitCode, 1);
  EXPECT_EQ(notTaken.Err, "vostrel: The camera did not take 2 of 2 values: WhiteBalanceSetting "
                          "(wanted 12 (shade), the camera has 9 (custom 1); it takes auto, "
                          "daylight and custom 1), DriveMode (wanted 1 (single), the camera has "
                          "0 (no value); the camera does not offer it)\n");
  // The aperture is found by trying each value.
  const Result supported = Run({"--camera", "powershot:0", "params", "supported", "Av"});
  EXPECT_EQ(supported.ExitCode, 0) << supported.Err;
  EXPECT_EQ(supported.Out.rfind("Av: 10 (f/", 0), 0U) << supported.Out;
  EXPECT_NE(supported.Out.find(", 13 (f/4)\n"), std::string::npos) << supported.Out;
  EXPECT_NE(supported.Err.find("probing"), std::string::npos) << supported.Err;

  // The demo's CD session follows the EOS session.
  const std::string demoFolder = folder.file("demo");
  const Result demo = Run({"demo", "-n", "1", "-o", demoFolder});
  ASSERT_EQ(demo.ExitCode, 0) << demo.Err;
  EXPECT_NE(demo.Out.find("Connecting powershot:0 (CD)"), std::string::npos) << demo.Out;
  EXPECT_EQ(StartOf(platform::joinPath(demoFolder, "cd-shot-1.jpg"), 2), JpegStart);
  EXPECT_NE(demo.Err.find("taking picture 1: 100%\ncd-shot-1.jpg: 100%\n"), std::string::npos)
      << demo.Err;
  EXPECT_EQ(demo.Err.find("transfer"), std::string::npos) << demo.Err;
  const std::string last = demo.Out.substr(demo.Out.rfind('\n', demo.Out.size() - 2) + 1);
  EXPECT_NE(last.find(": shot-001.jpg and cd-shot-1.jpg;"), std::string::npos) << last;
}

// The live functions and the card of an older PowerShot camera, as for any
// other camera; its picture names come from the camera and are never taken
// as paths.
TEST_F(CommandLineTest, OlderPowerShotCamerasShowTheirLiveFunctionsAndCard) {
  UseScenario(R"json({
    "eos": { "cameras": [] },
    "cd": { "cameras": [ { "model": "Simulated Classic",
      "viewfinder": { "width": 64, "height": 48, "framesPerSecond": 200 },
      "properties": { "ReleaseControlFaculty": 1073741847, "MaximumZoom": 12,
                      "MaximumOpticalZoom": 5 },
      "volumes": [ { "label": "CF", "files": [ "DCIM/100_PSHT/IMG_0001.JPG",
        { "path": "DCIM/100_PSHT/IMG_0002.JPG", "reportedName": "..\\..\\up.JPG" },
        "DCIM/100_PSHT/IMG_0003.JPG" ] } ] } ] }
  })json");
  const Result zoom = Run({"--camera", "powershot:0", "zoom", "set", "5"});
  EXPECT_EQ(zoom.ExitCode, 0) << zoom.Err;
  EXPECT_EQ(zoom.Out, "zoom position 5 of 0 to 12 (optical up to 5, digital beyond)\n");
  const Result tooFar = Run({"--camera", "powershot:0", "zoom", "set", "13"});
  EXPECT_EQ(tooFar.ExitCode, 1);
  EXPECT_EQ(tooFar.Err, "vostrel: Zoom position 13 is outside the camera's range of 0 to 12\n");
  EXPECT_EQ(Run({"--camera", "powershot:0", "af-lock", "on"}).Out, "focus locked\n");

  const std::string frames = folder.file("frames");
  const Result viewfinder = Run({"--camera", "powershot:0", "viewfinder", "-n", "3", "-o", frames});
  EXPECT_EQ(viewfinder.ExitCode, 0) << viewfinder.Err;
  EXPECT_EQ(StartOf(platform::joinPath(frames, "frame-003.jpg"), 2), JpegStart);

  const Result list = Run({"--camera", "powershot:0", "card", "list"});
  EXPECT_EQ(list.Out, "0\tIMG_0001.JPG\n1\t..\\..\\up.JPG\n2\tIMG_0003.JPG\n");
  const std::string card = folder.file("out/card");
  const Result get = Run({"-q", "--camera", "powershot:0", "card", "get", "--all", "-o", card});
  EXPECT_EQ(get.ExitCode, 0) << get.Err;
  EXPECT_EQ(StartOf(platform::joinPath(card, "up.JPG"), 2), JpegStart);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.file("out")),
                          std::filesystem::directory_iterator()),
            1);
  const std::string thumbnails = folder.file("out/thumbnails");
  const Result thumbs =
      Run({"--camera", "powershot:0", "card", "thumbnails", "2", "-o", thumbnails});
  EXPECT_EQ(thumbs.ExitCode, 0) << thumbs.Err;
  EXPECT_EQ(StartOf(platform::joinPath(thumbnails, "IMG_0003-thumb.jpg"), 2), JpegStart);
  // Numbers follow the list as pictures go: the last first.
  const Result removed = RunLogged({"--camera", "powershot:0", "card", "delete", "0", "2"});
  EXPECT_EQ(removed.ExitCode, 0) << removed.Err;
  EXPECT_EQ(removed.Out, "deleted IMG_0003.JPG\ndeleted IMG_0001.JPG\n");
  EXPECT_NE(removed.CallLog.find("CDDeleteImage(volume#"), std::string::npos) << removed.CallLog;

  // The demo's CD session zooms, watches the viewfinder and browses the card.
  const std::string demoFolder = folder.file("demo");
  const Result demo = Run({"demo", "--family", "cd", "-n", "1", "-o", demoFolder});
  ASSERT_EQ(demo.ExitCode, 0) << demo.Err;
  EXPECT_NE(demo.Out.find("zoomed in: zoom position 5 of 0 to 12"), std::string::npos) << demo.Out;
  EXPECT_NE(demo.Out.find("viewfinder: 15 frames in "), std::string::npos) << demo.Out;
  EXPECT_NE(demo.Out.find("  3 pictures on the card\n"), std::string::npos) << demo.Out;
  const std::string last = demo.Out.substr(demo.Out.rfind('\n', demo.Out.size() - 2) + 1);
  EXPECT_NE(last.find("cd-shot-1.jpg; 15 viewfinder frames in cd-viewfinder; 3 thumbnails in "
                      "cd-thumbnails\n"),
            std::string::npos)
      << last;
  EXPECT_EQ(StartOf(platform::joinPath(demoFolder, "cd-viewfinder/frame-015.jpg"), 2), JpegStart);
}

} // namespace
} // namespace vostrel
