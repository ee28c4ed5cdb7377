// Reading and writing the shooting parameters of an EOS camera through the
// EDSDK binding and the simulated EDSDK.DLL. What was written is taken from
// the simulator's call log; waits between retries run on a fake clock.

#include "core/CamDefines.h"
#include "eos/EDSDK.h"
#include "eos/EOSRemoteParams.h"
#include "platform/Clock.h"
#include "platform/DynamicLibrary.h"
#include "sim/SimControlClient.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace vostrel::eos {
namespace {

using namespace std::chrono_literals;

// A property write as the simulator logged it: the property and the bytes
// written, in hexadecimal.
struct Write {
  EdsUInt32 property;
  std::string data;

  bool operator==(const Write&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Write& write) {
  char id[16];
  std::snprintf(id, sizeof(id), "0x%04X", write.property);
  return out << id << " " << write.data;
}

// The bytes of 32-bit values in the camera's (little-endian) order.
std::string Words(std::initializer_list<std::int64_t> values) {
  std::string text;
  char hex[4];
  for (const std::int64_t value : values) {
    const auto word = static_cast<std::uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8) {
      std::snprintf(hex, sizeof(hex), "%02X", (word >> shift) & 0xFFu);
      text += hex;
    }
  }
  return text;
}

// The offsets at which two records differ, with both bytes.
std::string Differences(const RemoteParamsType& actual, const RemoteParamsType& expected) {
  const auto* a = reinterpret_cast<const std::uint8_t*>(&actual);
  const auto* e = reinterpret_cast<const std::uint8_t*>(&expected);
  std::string text;
  for (std::size_t offset = 0; offset < sizeof(RemoteParamsType); ++offset) {
    if (a[offset] != e[offset]) {
      text += "offset " + std::to_string(offset) + ": " + std::to_string(a[offset]) +
              " instead of " + std::to_string(e[offset]) + "\n";
    }
  }
  return text;
}

// A camera that holds a known value in every property behind the record,
// each of them one the camera also accepts when written.
const char* const KnownCamera = R"({
  "model": "EOS Params",
  "properties": {
    "ImageQuality": [0, 2, 4, 1, 1, 3],
    "ShootingMode": 3,
    "Av": 40,
    "Tv": 96,
    "ExposureCompensation": 253,
    "WhiteBalance": 9,
    "ColorTemperature": 5200,
    "WhiteBalanceShift": [-3, 2],
    "AFMode": 2,
    "DriveMode": 16,
    "MeteringMode": 3,
    "ColorSpace": 2,
    "ISOSpeed": 72,
    "PictureStyle": [-2, 5, 2147483647, 1, -1, 2],
    "PhotoEffect": 5
  }
})";

// The record that KnownCamera reads as.
RemoteParamsType KnownParams() {
  RemoteParamsType p{};
  p.CompQuality = 5; // RAW, with a JPEG of quality code 3 and size code 1
  p.CompQualityPic2RAW = 3;
  p.ImageSize = 1;
  p.ImageSizePic2RAW = 2;
  p.ImageMode = 2;
  p.Av = 13;
  p.Tv = 32;
  p.ExposureCompensation = 8;
  p.WhiteBalanceSetting = 13;
  p.WhiteBalanceKelvin = 5200;
  p.WBShiftEnabled = 1;
  p.WBShiftAmberBlue = -3;
  p.WBShiftGreenMagenta = 2;
  p.AFMode = 3;
  p.DriveMode = 6;
  p.MLWeiMode = 4;
  p.ColorSpace = 2;
  p.ISO = 5;
  p.PictureStyleEnabled = 1;
  p.PictureStyleContrast = -2;
  p.PictureStyleSharpness = 5;
  p.PictureStyleColorTone = 1;
  p.PictureStyleColorToneUsed = 1;
  p.PictureStyleMonochromeTone = 2;
  p.PictureStyleMonochromeToneUsed = 1;
  p.PhotoEffect = 6;
  return p;
}

class EOSRemoteParamsTest : public testing::Test {
protected:
  static void SetUpTestSuite() {
    edsdk::LoadEDSDK();
    ASSERT_TRUE(edsdk::EDSDKLoaded()) << "EDSDK.DLL was not found beside the test program";
    library_ = platform::DynamicLibrary::open("EDSDK.DLL");
    ASSERT_NE(library_, nullptr);
    control_ = std::make_unique<sim::SimControlClient>(*library_);
  }

  static void TearDownTestSuite() {
    control_.reset();
    library_.reset();
  }

  void SetUp() override {
    control_->clearFailures();
    loadCamera(KnownCamera);
  }

  void TearDown() override { closeCamera(); }

  // Starts over with a world of one camera and opens a session on it.
  void loadCamera(const std::string& cameraJson) {
    closeCamera();
    control_->loadScenario(R"({"eos": {"cameras": [)" + cameraJson + "]}}");
    edsdk::EdsInitializeSDK.checked();
    EdsCameraListRef list = nullptr;
    edsdk::EdsGetCameraList.checked(&list);
    edsdk::EdsGetChildAtIndex.checked(list, 0, &camera_);
    edsdk::EdsRelease.checked(list);
    edsdk::EdsOpenSession.checked(camera_);
    control_->clearCallLog();
  }

  void closeCamera() {
    control_->clearFailures();
    if (camera_ != nullptr) {
      edsdk::EdsCloseSession.checked(camera_);
      edsdk::EdsRelease.checked(camera_);
      edsdk::EdsTerminateSDK();
      camera_ = nullptr;
    }
  }

  RemoteParamsType read() {
    RemoteParamsType params{};
    std::memset(&params, 0xAA, sizeof params); // every field must be written
    ReadRemoteParams(camera_, params);
    return params;
  }

  // The logged calls of one entry point, each as its argument list.
  std::vector<std::vector<std::string>> calls(const std::string& entryPoint) const {
    std::vector<std::vector<std::string>> found;
    for (const std::string& line : control_->callLogLines()) {
      if (line.rfind(entryPoint + "(", 0) != 0) {
        continue;
      }
      const std::size_t end = line.rfind(") = ");
      const std::string list = line.substr(entryPoint.size() + 1, end - entryPoint.size() - 1);
      std::vector<std::string> arguments;
      for (std::size_t start = 0;;) {
        const std::size_t comma = list.find(", ", start);
        arguments.push_back(list.substr(start, comma - start));
        if (comma == std::string::npos) {
          break;
        }
        start = comma + 2;
      }
      found.push_back(arguments);
    }
    return found;
  }

  std::vector<EdsUInt32> propertiesRead() const {
    std::vector<EdsUInt32> ids;
    for (const auto& arguments : calls("EdsGetPropertyData")) {
      ids.push_back(static_cast<EdsUInt32>(std::stoul(arguments.at(1), nullptr, 16)));
    }
    return ids;
  }

  std::vector<Write> writes() const {
    std::vector<Write> found;
    for (const auto& arguments : calls("EdsSetPropertyData")) {
      found.push_back(
          {static_cast<EdsUInt32>(std::stoul(arguments.at(1), nullptr, 16)), arguments.at(4)});
    }
    return found;
  }

  void write(const RemoteParamsType& params) {
    control_->clearCallLog();
    WriteRemoteParams(camera_, params);
  }

  static std::unique_ptr<platform::DynamicLibrary> library_;
  static std::unique_ptr<sim::SimControlClient> control_;
  EdsCameraRef camera_ = nullptr;
  platform::FakeClock clock_;
  platform::ScopedClock useClock_{clock_};
};

std::unique_ptr<platform::DynamicLibrary> EOSRemoteParamsTest::library_;
std::unique_ptr<sim::SimControlClient> EOSRemoteParamsTest::control_;

// ---------------------------------------------------------------------------
// Reading

TEST_F(EOSRemoteParamsTest, ReadsEverySettingInItsFixedOrder) {
  EXPECT_EQ(Differences(read(), KnownParams()), "");
  const std::vector<EdsUInt32> order{0x0100, 0x0400, 0x0405, 0x0406, 0x0407, 0x0106, 0x0107, 0x0108,
                                     0x0404, 0x0401, 0x0403, 0x010D, 0x0402, 0x0115, 0x010F};
  EXPECT_EQ(propertiesRead(), order);
  EXPECT_TRUE(writes().empty());
}

TEST_F(EOSRemoteParamsTest, ReadsTheColorTemperatureOnlyWithTheColorTemperatureSetting) {
  loadCamera(R"({"model": "EOS Params", "properties": {"WhiteBalance": 8}})");
  const RemoteParamsType params = read();
  EXPECT_EQ(params.WhiteBalanceSetting, 12);
  EXPECT_EQ(params.WhiteBalanceKelvin, 0);
  for (const EdsUInt32 id : propertiesRead()) {
    EXPECT_NE(id, 0x0107u);
  }
}

TEST_F(EOSRemoteParamsTest, AFailedReadLeavesItsFieldsZeroAndRaisesNothing) {
  // Image quality is the first property read.
  control_->injectFailure("EdsGetPropertyData", 0x81, 0, 1);
  RemoteParamsType expected = KnownParams();
  expected.CompQuality = expected.CompQualityPic2RAW = 0;
  expected.ImageSize = expected.ImageSizePic2RAW = 0;
  EXPECT_EQ(Differences(read(), expected), "");

  control_->injectFailure("EdsGetPropertyData", 0x81, 0, VOSTREL_SIM_ALWAYS);
  EXPECT_EQ(Differences(read(), RemoteParamsType{}), "");
}

TEST_F(EOSRemoteParamsTest, PropertiesTheCameraLacksReadAsZero) {
  loadCamera(R"({"model": "EOS Plain", "properties": {
    "PictureStyle": null, "WhiteBalanceShift": null, "PhotoEffect": null,
    "WhiteBalance": 9, "ColorTemperature": null}})");
  const RemoteParamsType params = read();
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(&params);
  for (std::size_t offset = 20; offset <= 33; ++offset) {
    EXPECT_EQ(bytes[offset], 0) << "offset " << offset;
  }
  EXPECT_EQ(params.PhotoEffect, 0);
  EXPECT_EQ(params.WhiteBalanceSetting, 13);
  EXPECT_EQ(params.WhiteBalanceKelvin, 0);
  EXPECT_NE(params.ISO, 0); // the properties it has are still read
}

TEST_F(EOSRemoteParamsTest, AShiftTheCameraCannotApplyReadsAsDisabled) {
  loadCamera(R"({"model": "EOS Params", "properties": {
    "WhiteBalanceShift": [2147483647, 4], "PictureStyle": [0, 0, 0, 0, 0, 0]}})");
  const RemoteParamsType params = read();
  EXPECT_EQ(params.WBShiftEnabled, 0);
  EXPECT_EQ(params.WBShiftGreenMagenta, 0);
  // Zero is a real setting of every part of a picture style.
  EXPECT_EQ(params.PictureStyleEnabled, 1);
  EXPECT_EQ(params.PictureStyleSaturationUsed, 1);
  EXPECT_EQ(params.PictureStyleMonochromeFilterUsed, 1);
}

// ---------------------------------------------------------------------------
// Writing

TEST_F(EOSRemoteParamsTest, WritesEverySettingInItsFixedOrderAndReadsItBack) {
  loadCamera(R"({"model": "EOS Params"})");
  RemoteParamsType params = KnownParams();
  params.PictureStyleSaturation = 9; // not used: the flag after it is 0
  write(params);
  const std::vector<Write> expected{
      {0x0100, Words({0, 2, 4, 1, 1, 3})},
      {0x0400, Words({3})},
      {0x0405, Words({40})},
      {0x0406, Words({96})},
      {0x0407, Words({253})},
      {0x0106, Words({9})},
      {0x0107, Words({5200})},
      {0x0108, Words({-3, 2})},
      {0x0404, Words({2})},
      {0x0401, Words({16})},
      {0x0403, Words({3})},
      {0x010D, Words({2})},
      {0x0402, Words({72})},
      {0x0115, Words({-2, 5, 0x7FFFFFFF, 1, 0xFFFFFFFF, 2})},
      {0x010F, Words({5})},
  };
  EXPECT_EQ(writes(), expected);
  EXPECT_EQ(Differences(read(), KnownParams()), "");
  EXPECT_EQ(clock_.slept(), 0ms);
}

TEST_F(EOSRemoteParamsTest, ApplyingWhatWasReadLeavesTheCameraUnchanged) {
  const RemoteParamsType before = read();
  write(before);
  EXPECT_EQ(Differences(read(), before), "");
}

TEST_F(EOSRemoteParamsTest, ARecordOfZerosWritesNothing) {
  write(RemoteParamsType{});
  EXPECT_TRUE(writes().empty());
}

struct WriteCase {
  const char* name;
  std::function<void(RemoteParamsType&)> set;
  std::vector<Write> expected;
  std::function<void(const RemoteParamsType&)> checkReadBack;
};

std::ostream& operator<<(std::ostream& out, const WriteCase& c) {
  return out << c.name;
}

const WriteCase WriteCases[] = {
    {"RAWWithoutJPEGQuality",
     [](RemoteParamsType& p) {
       p.CompQuality = 5;
       p.ImageSizePic2RAW = 2;
     },
     {{0x0100, Words({0, 2, 4, 0, 0, 0})}},
     [](const RemoteParamsType& p) {
       EXPECT_EQ(p.CompQuality, 5);
       EXPECT_EQ(p.CompQualityPic2RAW, 0);
       EXPECT_EQ(p.ImageSizePic2RAW, 0);
     }},
    {"QualityWithoutSize", [](RemoteParamsType& p) { p.CompQuality = 2; }, {}, nullptr},
    {"JPEG",
     [](RemoteParamsType& p) {
       p.CompQuality = 3;
       p.ImageSize = 2;
     },
     {{0x0100, Words({1, 1, 3, 0, 0, 0})}},
     [](const RemoteParamsType& p) {
       EXPECT_EQ(p.CompQuality, 3);
       EXPECT_EQ(p.ImageSize, 2);
     }},
    {"KelvinInWholeHundreds",
     [](RemoteParamsType& p) {
       p.WhiteBalanceSetting = 13;
       p.WhiteBalanceKelvin = 5550;
     },
     {{0x0106, Words({9})}, {0x0107, Words({5500})}},
     [](const RemoteParamsType& p) { EXPECT_EQ(p.WhiteBalanceKelvin, 5500); }},
    {"KelvinOnlyWithColorTemperature",
     [](RemoteParamsType& p) {
       p.WhiteBalanceSetting = 2;
       p.WhiteBalanceKelvin = 3000;
     },
     {{0x0106, Words({1})}},
     [](const RemoteParamsType& p) { EXPECT_EQ(p.WhiteBalanceSetting, 2); }},
    {"ExposureCompensation",
     [](RemoteParamsType& p) { p.ExposureCompensation = 5; },
     {{0x0407, Words({5})}},
     [](const RemoteParamsType& p) { EXPECT_EQ(p.ExposureCompensation, 5); }},
    {"NegativeExposureCompensation",
     [](RemoteParamsType& p) { p.ExposureCompensation = 13; },
     {{0x0407, Words({240})}},
     [](const RemoteParamsType& p) { EXPECT_EQ(p.ExposureCompensation, 13); }},
    {"AmberBlueShift",
     [](RemoteParamsType& p) {
       p.WBShiftEnabled = 1;
       p.WBShiftAmberBlue = -3;
     },
     {{0x0108, Words({-3, 0})}},
     [](const RemoteParamsType& p) {
       EXPECT_EQ(p.WBShiftEnabled, 1);
       EXPECT_EQ(static_cast<std::uint8_t>(p.WBShiftAmberBlue), 0xFD);
       EXPECT_EQ(p.WBShiftGreenMagenta, 0);
     }},
    {"ShiftNotEnabled",
     [](RemoteParamsType& p) {
       p.WBShiftAmberBlue = 4;
       p.PictureStyleContrast = 2;
     },
     {},
     nullptr},
    {"MonochromePictureStyle",
     [](RemoteParamsType& p) {
       p.PictureStyleEnabled = 1;
       p.PictureStyleSharpness = 200; // unsigned
       p.PictureStyleMonochromeFilter = 3;
       p.PictureStyleMonochromeFilterUsed = 1;
       p.PictureStyleMonochromeTone = 1;
       p.PictureStyleMonochromeToneUsed = 1;
     },
     {{0x0115, Words({0, 200, 0x7FFFFFFF, 0x7FFFFFFF, 3, 1})}},
     [](const RemoteParamsType& p) {
       EXPECT_EQ(p.PictureStyleSaturationUsed, 0);
       EXPECT_EQ(p.PictureStyleSharpness, 200);
       EXPECT_EQ(p.PictureStyleMonochromeFilter, 3);
       EXPECT_EQ(p.PictureStyleMonochromeTone, 1);
     }},
    {"ValuesWithoutAnEOSCode",
     [](RemoteParamsType& p) {
       p.PhotoEffect = 3;
       p.MLWeiMode = 1;
       p.ImageMode = 5;
       p.WhiteBalanceSetting = 8;
       p.CompQuality = 1; // with a size: no quality code
       p.ImageSize = 3;
       p.AFMode = 5; // beyond the kind's values
       p.DriveMode = 8;
       p.StrobeSetting = 1; // no EOS property
       p.Beep = 1;
     },
     {},
     nullptr},
};

class EOSRemoteParamsWriteTest : public EOSRemoteParamsTest,
                                 public testing::WithParamInterface<WriteCase> {};

TEST_P(EOSRemoteParamsWriteTest, WritesWhatTheFieldsAskFor) {
  RemoteParamsType params{};
  GetParam().set(params);
  write(params);
  EXPECT_EQ(writes(), GetParam().expected);
  if (GetParam().checkReadBack) {
    GetParam().checkReadBack(read());
  }
}

INSTANTIATE_TEST_SUITE_P(EOS, EOSRemoteParamsWriteTest, testing::ValuesIn(WriteCases),
                         [](const testing::TestParamInfo<WriteCase>& info) {
                           return std::string(info.param.name);
                         });

// ---------------------------------------------------------------------------
// Retrying refused writes

TEST_F(EOSRemoteParamsTest, ARefusedValueIsTriedForFiveSecondsThenDropped) {
  loadCamera(R"({"model": "EOS Params", "properties": {"ColorSpace": {"accepted": [1]}}})");
  RemoteParamsType params{};
  params.ColorSpace = 2;
  params.ISO = 5;
  const auto start = std::chrono::steady_clock::now();
  write(params);
  const auto elapsed = std::chrono::steady_clock::now() - start;

  const std::vector<Write> logged = writes();
  ASSERT_EQ(logged.size(), 52u);
  for (std::size_t i = 0; i < 51; ++i) {
    EXPECT_EQ(logged[i], (Write{0x010D, Words({2})})) << "try " << i + 1;
  }
  EXPECT_EQ(logged.back(), (Write{0x0402, Words({72})}));
  EXPECT_EQ(clock_.slept(), 5000ms);
  EXPECT_EQ(clock_.sleeps(), 50);
  EXPECT_LT(elapsed, 2500ms);

  const RemoteParamsType readBack = read();
  EXPECT_EQ(readBack.ColorSpace, 1);
  EXPECT_EQ(readBack.ISO, 5);
}

TEST_F(EOSRemoteParamsTest, AWriteThatSucceedsOnRetryStopsRetrying) {
  control_->injectFailure("EdsSetPropertyData", 0x81, 0, 3);
  RemoteParamsType params{};
  params.ExposureCompensation = 4;
  write(params);
  EXPECT_EQ(writes().size(), 4u);
  EXPECT_EQ(clock_.slept(), 300ms);
  EXPECT_EQ(read().ExposureCompensation, 4);
}

TEST_F(EOSRemoteParamsTest, ACameraThatRefusesEverythingCostsFiveSecondsPerField) {
  control_->injectFailure("EdsSetPropertyData", 0x81, 0, VOSTREL_SIM_ALWAYS);
  RemoteParamsType params{};
  params.ExposureCompensation = 4;
  params.PhotoEffect = 1;
  EXPECT_NO_THROW(write(params));
  EXPECT_EQ(writes().size(), 102u);
  EXPECT_EQ(clock_.slept(), 10000ms);
}

TEST(EOSSetWithRetry, ReportsWhetherTheCameraTookTheValue) {
  platform::FakeClock clock;
  platform::ScopedClock useClock(clock);
  edsdk::LoadEDSDK();
  ASSERT_TRUE(edsdk::EDSDKLoaded());
  const EdsUInt32 value = 1;
  // Without a camera reference every write fails.
  EXPECT_FALSE(SetWithRetry(nullptr, 0x010D, &value, sizeof value));
  EXPECT_EQ(clock.slept(), SetRetryLimit);
}

} // namespace
} // namespace vostrel::eos
