// The vostrel program end to end: it runs as a process of its own, next to
// the simulated EDSDK.DLL, on scenario files, and is judged by its exit
// status, its output and the files it leaves.

#include "core/TempFolder.h"
#include "platform/DynamicLibrary.h"
#include "platform/FileSystem.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
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
};

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
  const Result clock = Run({"set-clock", "--time", "2024-02-29 23:59:59.5"});
  EXPECT_EQ(clock.ExitCode, 0) << clock.Err;
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
  EXPECT_NE(demo.Out.find("2 pictures are in "), std::string::npos) << demo.Out;
  // Each transfer drew its progress bar on stderr, up to 100 %.
  EXPECT_NE(demo.Err.find("shot-001.jpg ["), std::string::npos) << demo.Err;
  EXPECT_NE(demo.Err.find("] 100%"), std::string::npos) << demo.Err;

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
  EXPECT_EQ(unknown.Err, "vostrel: Unknown parameter Speed\n");
}

TEST_F(CommandLineTest, OlderPowerShotCamerasShootAndShowTheirParameters) {
  UseScenario(R"json({
    "eos": { "cameras": [ { "model": "EOS Bench" } ] },
    "cd": { "cameras": [ { "model": "PowerShot Classic", "properties": {
      "Av": { "value": 40, "accepted": [32, 40], "enumerable": false } } } ] }
  })json");
  const std::string pictures = folder.file("pictures");
  const Result shoot =
      Run({"--quiet", "--camera", "powershot:0", "shoot", "-n", "2", "-o", pictures});
  ASSERT_EQ(shoot.ExitCode, 0) << shoot.Err;
  EXPECT_EQ(StartOf(platform::joinPath(pictures, "shot-002.jpg"), 2), JpegStart);

  const Result get = Run({"--camera", "powershot:0", "params", "get", "Av", "ImageMode"});
  EXPECT_EQ(get.ExitCode, 0) << get.Err;
  EXPECT_EQ(get.Out, "Av = 13\nImageMode = 16\n");
  // The aperture is found by trying each value.
  const Result supported = Run({"--camera", "powershot:0", "params", "supported", "Av"});
  EXPECT_EQ(supported.ExitCode, 0) << supported.Err;
  EXPECT_EQ(supported.Out.rfind("Av: 00000000001001", 0), 0U) << supported.Out;
  EXPECT_NE(supported.Err.find("probing ["), std::string::npos) << supported.Err;

  // The demo's CD session follows the EOS session.
  const std::string demoFolder = folder.file("demo");
  const Result demo = Run({"demo", "-n", "1", "-o", demoFolder});
  ASSERT_EQ(demo.ExitCode, 0) << demo.Err;
  EXPECT_NE(demo.Out.find("Connecting powershot:0 (CD)"), std::string::npos) << demo.Out;
  EXPECT_EQ(StartOf(platform::joinPath(demoFolder, "cd-shot-1.jpg"), 2), JpegStart);
  EXPECT_NE(demo.Out.find("2 pictures are in "), std::string::npos) << demo.Out;
}

} // namespace
} // namespace vostrel
