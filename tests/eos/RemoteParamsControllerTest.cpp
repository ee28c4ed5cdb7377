// The shooting parameters of an EOS camera from the host's side: read and
// written through the controller, probed by RemoteStart with progress and
// cache, and kept in and applied from a remote parameter file.

#include "ShootingFixture.h"

#include "core/CamLib.h"
#include "core/RemoteParamsFile.h"
#include "eos/EDSDKTYPES.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace vostrel::test {
namespace {

using ::testing::Contains;
using ::testing::ElementsAreArray;
using ::testing::Not;

const std::vector<std::int32_t> ProbePercentages{6,  18, 24, 29, 35, 41, 47, 53,
                                                 59, 65, 71, 76, 82, 88, 94, 100};

std::uint32_t Value32(const std::vector<std::uint8_t>& bytes) {
  std::uint32_t value = 0;
  std::memcpy(&value, bytes.data(), std::min(bytes.size(), sizeof value));
  return value;
}

class EOSRemoteParams : public EOSShooting {
protected:
  void SetUp() override {
    EOSShooting::SetUp();
    StartRemote(ReleaseModeType::ReleaseModeOnlyToPC);
  }

  RemoteParamsType Read() {
    RemoteParamsType params{};
    controller->RemoteGetRemoteParams(params);
    return params;
  }

  static std::uint32_t CameraProperty(std::uint32_t id) {
    return Value32(Sim().property(0, id).value_or(std::vector<std::uint8_t>{}));
  }

  // The camera's settings as the simulator describes them.
  static nlohmann::json Settings() { return WorldCamera(0).at("properties"); }

  RemoteStartInfoType StartProbing(const std::string& cacheDirectory) {
    return controller->RemoteStart(ReleaseModeType::ReleaseModeOnlyToPC,
                                   ReleaseDataKindType::ReleaseDataKindTakeOnlyPicture, true,
                                   cacheDirectory);
  }
};

TEST_F(EOSRemoteParams, ValuesWrittenThroughTheControllerReachTheCameraAndReadBack) {
  RemoteParamsType params = Read();
  ASSERT_NE(params.Av, 0);
  const std::uint8_t av = CamLib::ApertureCodeToValue(0x30);
  const std::uint8_t tv = CamLib::ShutterSpeedCodeToValue(0x68);
  ASSERT_NE(av, params.Av);
  ASSERT_NE(tv, params.Tv);
  params.Av = av;
  params.Tv = tv;

  controller->RemoteSetRemoteParams(params);
  EXPECT_EQ(CameraProperty(EdsPropAv), 0x30u);
  EXPECT_EQ(CameraProperty(EdsPropTv), 0x68u);
  const RemoteParamsType readBack = Read();
  EXPECT_EQ(readBack.Av, av);
  EXPECT_EQ(readBack.Tv, tv);
  EXPECT_EQ(std::memcmp(&readBack, &params, sizeof params), 0);

  // Outside remote mode neither direction reaches the camera.
  controller->RemoteEnd();
  Sim().clearCallLog();
  EXPECT_EQ(MessageOf([&] { Read(); }), "Camera not in remote mode");
  EXPECT_EQ(MessageOf([&] { controller->RemoteSetRemoteParams(params); }),
            "Camera not in remote mode");
  EXPECT_TRUE(Calls().empty());
}

TEST_F(EOSRemoteParams, RemoteStartProbesWithProgressAndAnswersFromTheCacheNextTime) {
  std::vector<std::int32_t> progress;
  controller->OnRemoteProbeParamEvent = [&](std::int32_t percent) { progress.push_back(percent); };
  const auto before = Settings();
  const std::string cache = folder.file("cache");

  const RemoteStartInfoType probed = StartProbing(cache);
  EXPECT_THAT(progress, ElementsAreArray(ProbePercentages));
  EXPECT_TRUE(probed.DoSupportShootingPara);
  EXPECT_NE(probed.SupportedParamValues.Flags, SupportedParamValuesType{}.Flags);
  // Probing changes the settings while it runs and restores them afterwards.
  EXPECT_EQ(Settings(), before);

  progress.clear();
  controller->RemoteEnd();
  Sim().clearCallLog();
  const RemoteStartInfoType cached = StartProbing(cache);
  EXPECT_TRUE(progress.empty());
  EXPECT_EQ(cached.SupportedParamValues.Flags, probed.SupportedParamValues.Flags);
  // The release mode is the only write.
  std::vector<std::string> writes;
  for (const std::string& call : Calls()) {
    if (call.rfind("EdsSetPropertyData", 0) == 0) {
      writes.push_back(call);
    }
  }
  EXPECT_EQ(writes, std::vector<std::string>{
                        "EdsSetPropertyData(camera#, 0x0000000B, 0, 4, 02000000) = 0x00000000"});
}

TEST_F(EOSRemoteParams, AFailingProbeKeepsRemoteModeOff) {
  controller->RemoteEnd();
  FailCall("EdsGetPropertyDesc", 0x00FF0081);
  EXPECT_EQ(MessageOf([&] { StartProbing(""); }),
            "EdsGetPropertyDesc errorcode 0x00FF0081, Device busy");
  EXPECT_FALSE(controller->IsRemoteModeOn());
}

// ---------------------------------------------------------------------------
// The remote parameter file

TEST_F(EOSRemoteParams, ASavedFileAppliedAgainLeavesTheCameraUnchanged) {
  const std::string file = folder.file("params.dat");
  controller->RemoteSaveCameraRemoteParams(file);
  EXPECT_EQ(platform::readFile(file), EncodeRemoteParamsFile(Read()));

  const auto before = Settings();
  controller->RemoteLoadCameraRemoteParams(file);
  EXPECT_EQ(Settings(), before);

  // The file carries the values to another moment: changed settings are
  // put back by loading it.
  RemoteParamsType changed = Read();
  const RemoteParamsType saved = changed;
  changed.Av = CamLib::ApertureCodeToValue(0x30);
  ASSERT_NE(changed.Av, saved.Av);
  controller->RemoteSetRemoteParams(changed);
  controller->RemoteLoadCameraRemoteParams(file);
  EXPECT_EQ(Read().Av, saved.Av);
  EXPECT_EQ(Settings(), before);
}

TEST_F(EOSRemoteParams, FilesOfAnotherFormatAreRefusedWithoutWritingToTheCamera) {
  struct Case {
    const char* name;
    std::vector<std::uint8_t> bytes;
  };
  std::vector<std::uint8_t> tag45 = EncodeRemoteParamsFile(Read());
  tag45[0] = 45;
  std::vector<std::uint8_t> shortRecord = EncodeRemoteParamsFile(Read());
  shortRecord.pop_back();
  const Case cases[] = {{"tag45.dat", tag45}, {"empty.dat", {}}, {"short.dat", shortRecord}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string file = folder.file(c.name);
    platform::writeFile(file, c.bytes);
    Sim().clearCallLog();
    EXPECT_EQ(MessageOf([&] { controller->RemoteLoadCameraRemoteParams(file); }),
              "Camera remote parameters file " + file +
                  " is of invalid data format. Please create a new file.");
    EXPECT_TRUE(Calls().empty());
  }
}

// The files are the host's and may be anything: they are read only as far
// as their format goes, only from regular files, and every failure reaches
// the host as ECamException with the file's name.
TEST_F(EOSRemoteParams, OnlyTheStartOfARegularFileIsRead) {
  // A long file: the bytes after the record are not even read.
  std::vector<std::uint8_t> longFile = EncodeRemoteParamsFile(Read());
  longFile.resize(8 * 1024 * 1024, 0xEE);
  const std::string file = folder.file("long.dat");
  platform::writeFile(file, longFile);
  const auto before = Settings();
  controller->RemoteLoadCameraRemoteParams(file);
  EXPECT_EQ(Settings(), before);

  const std::string missing = folder.file("missing.dat");
  EXPECT_THAT(MessageOf([&] { controller->RemoteLoadCameraRemoteParams(missing); }),
              ::testing::StartsWith("Cannot read " + missing + ": "));
  EXPECT_EQ(MessageOf([&] { controller->RemoteLoadCameraRemoteParams(folder.file("")); }),
            folder.file("") + " is not a regular file");
  const std::string noFolder = folder.file("none/params.dat");
  EXPECT_THAT(MessageOf([&] { controller->RemoteSaveCameraRemoteParams(noFolder); }),
              ::testing::HasSubstr(noFolder));
#ifndef _WIN32
  // An endless device is refused before a byte of it is read.
  EXPECT_EQ(MessageOf([&] { controller->RemoteLoadCameraRemoteParams("/dev/zero"); }),
            "/dev/zero is not a regular file");
#else
  EXPECT_EQ(MessageOf([&] { controller->RemoteLoadCameraRemoteParams("NUL"); }),
            "NUL is not a regular file");
#endif
}

#ifndef _WIN32
TEST_F(EOSRemoteParams, APipeInPlaceOfTheProbeCacheIsRefusedWithoutWaiting) {
  controller->RemoteEnd();
  const std::string cache = folder.file("cache");
  StartProbing(cache);
  controller->RemoteEnd();
  // The cache file of the camera becomes a pipe that nobody writes to.
  const std::filesystem::directory_iterator cached{std::filesystem::path(cache)};
  ASSERT_NE(cached, std::filesystem::directory_iterator{});
  const std::string cacheFile = cached->path().string();
  std::filesystem::remove(cacheFile);
  ASSERT_EQ(::mkfifo(cacheFile.c_str(), 0600), 0);

  EXPECT_EQ(MessageOf([&] { StartProbing(cache); }), cacheFile + " is not a regular file");
  EXPECT_FALSE(controller->IsRemoteModeOn());
}
#endif

TEST_F(EOSRemoteParams, ARecordOfZerosChangesNothing) {
  const std::string file = folder.file("zeros.dat");
  platform::writeFile(file, EncodeRemoteParamsFile(RemoteParamsType{}));
  const auto before = Settings();
  controller->RemoteLoadCameraRemoteParams(file);
  EXPECT_THAT(CalledFunctions(), Not(Contains("EdsSetPropertyData")));
  EXPECT_EQ(Settings(), before);
}

} // namespace
} // namespace vostrel::test
