// RAW development through the controller: a RAW picture downloaded from the
// simulated camera's card is opened, its white balance read and chosen, and
// developed into files that readers of this test check on their own.

#include "CardFixture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>
// The library's header needs the size and file types declared first.
#include <jpeglib.h>

namespace vostrel::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// ---------------------------------------------------------------------------
// Readers of the developed files

struct PictureFacts {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::uint32_t bitsPerSample = 0;
  bool iccProfile = false;
};

struct JpegErrors {
  jpeg_error_mgr base;
  std::jmp_buf leave;
};

// Size and ICC marker of a JPEG file; nothing when libjpeg cannot read it.
std::optional<PictureFacts> ReadJpeg(const std::vector<std::uint8_t>& bytes) {
  jpeg_decompress_struct info{};
  JpegErrors errors{};
  info.err = jpeg_std_error(&errors.base);
  errors.base.error_exit = [](j_common_ptr common) {
    std::longjmp(reinterpret_cast<JpegErrors*>(common->err)->leave, 1);
  };
  if (setjmp(errors.leave) != 0) {
    jpeg_destroy_decompress(&info);
    return std::nullopt;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
  jpeg_save_markers(&info, JPEG_APP0 + 2, 0xFFFF);
  jpeg_read_header(&info, TRUE);
  PictureFacts facts{info.image_width, info.image_height, 8, false};
  for (jpeg_saved_marker_ptr marker = info.marker_list; marker != nullptr; marker = marker->next) {
    facts.iccProfile |= marker->marker == JPEG_APP0 + 2 && marker->data_length > 12 &&
                        std::memcmp(marker->data, "ICC_PROFILE", 12) == 0;
  }
  jpeg_destroy_decompress(&info);
  return facts;
}

// Size, bit depth and ICC tag of a little-endian TIFF file's first directory.
std::optional<PictureFacts> ReadTiff(const std::vector<std::uint8_t>& bytes) {
  const auto u16 = [&](std::size_t at) {
    return static_cast<std::uint32_t>(bytes.at(at) | bytes.at(at + 1) << 8);
  };
  const auto u32 = [&](std::size_t at) { return u16(at) | u16(at + 2) << 16; };
  if (bytes.size() < 8 || bytes[0] != 'I' || bytes[1] != 'I' || u16(2) != 42) {
    return std::nullopt;
  }
  PictureFacts facts;
  const std::size_t directory = u32(4);
  for (std::size_t entry = directory + 2; entry < directory + 2 + 12 * u16(directory);
       entry += 12) {
    const std::uint32_t tag = u16(entry);
    const std::uint32_t count = u32(entry + 4);
    const std::uint32_t value = u32(entry + 8);
    if (tag == 256) {
      facts.width = value;
    } else if (tag == 257) {
      facts.height = value;
    } else if (tag == 258) {
      // More than two 16-bit values do not fit the entry: it holds their offset.
      facts.bitsPerSample = count > 2 ? u16(value) : (value & 0xFFFFu);
    } else if (tag == 34675) {
      facts.iccProfile = true;
    }
  }
  return facts;
}

// ---------------------------------------------------------------------------

class RawTest : public CardTest {
protected:
  // A RAW picture shot with the given white balance (file object of the
  // scenario format without its path), downloaded from the card.
  std::string DownloadRaw(nlohmann::json shot = nlohmann::json::object()) {
    shot["path"] = "DCIM/100EOS/IMG_0001.CR2";
    UseCard(nlohmann::json::array({shot}));
    ImageListType list = controller->OpenCameraCollection("", false);
    const std::string raw = Path("IMG_0001.CR2");
    controller->GetPicture(0, false, raw);
    controller->CloseCameraCollection(list);
    Sim().clearCallLog();
    return raw;
  }

  std::string IccProfile() {
    const std::string profile = Path("profile.icc");
    platform::writeFile(profile, std::vector<std::uint8_t>(300, 0x5A));
    return profile;
  }

  static std::vector<int> SupportedValues(const RAWSupportedType& supported) {
    std::vector<int> values;
    for (int value = 0; value < 17; ++value) {
      if (supported.WhiteBalanceSetting[static_cast<std::size_t>(value)]) {
        values.push_back(value);
      }
    }
    return values;
  }

  RAWDevelopParamsType Params() {
    RAWDevelopParamsType params{};
    controller->GetRAWDevelopmentParameters(params);
    return params;
  }
};

using EOSRawObject = RawTest;

TEST_F(EOSRawObject, TriesEveryPresetAndKeepsThePicturesOwnWhiteBalance) {
  // By default a picture accepts every code but 7, which has no public value.
  const std::string raw = DownloadRaw();
  const std::size_t references = Sim().liveReferences();
  EXPECT_THAT(SupportedValues(controller->OpenRAWObject(raw)),
              ElementsAre(1, 2, 3, 4, 5, 6, 7, 12, 13, 14, 15, 16));
  EXPECT_EQ(CallsTo("EdsSetPropertyData").back(),
            "EdsSetPropertyData(image#, 0x00000106, 0, 4, 00000000) = 0x00000000");
  EXPECT_EQ(Params().WhiteBalanceSetting, 1); // auto
  EXPECT_EQ(Sim().liveReferences(), references + 2);

  // A picture shot under tungsten light that takes three settings only.
  controller->CloseRAWObject();
  EXPECT_EQ(Sim().liveReferences(), references);
  const std::string tungsten =
      DownloadRaw({{"whiteBalance", 3}, {"kelvin", 3200}, {"supportedWhiteBalances", {0, 3, 9}}});
  EXPECT_THAT(SupportedValues(controller->OpenRAWObject(tungsten)), ElementsAre(1, 4, 13));
  EXPECT_EQ(Params().WhiteBalanceSetting, 4);
  EXPECT_EQ(Params().WhiteBalanceKelvin, 0);
}

TEST_F(EOSRawObject, RefusesLongNamesUnknownFilesAndUnknownWhiteBalances) {
  const std::string longName = Path(std::string(255, 'r'));
  EXPECT_EQ(MessageOf([&] { controller->OpenRAWObject(longName); }),
            "Filename " + longName + " too long");
  EXPECT_THAT(Calls(), IsEmpty());

  // A file that is not RAW is not kept open.
  const std::size_t references = Sim().liveReferences();
  platform::writeFile(Path("photo.CR2"), {0xFF, 0xD8, 0xFF, 0xD9});
  EXPECT_EQ(MessageOf([&] { controller->OpenRAWObject(Path("photo.CR2")); }),
            "EdsCreateImageRef errorcode 0x0000002C, File format unrecognized");
  EXPECT_EQ(Sim().liveReferences(), references);
  EXPECT_EQ(MessageOf([&] { Params(); }), "GetRAWDevelopmentParameters : No RAW object is open");

  // White balance 7 has no public value: it cannot be put back, and the
  // picture stays open.
  const std::string raw = DownloadRaw({{"whiteBalance", 7}, {"supportedWhiteBalances", {0, 7}}});
  EXPECT_EQ(MessageOf([&] { controller->OpenRAWObject(raw); }), "Whitebalance not known");
  EXPECT_EQ(Params().WhiteBalanceSetting, 1);
  controller->CloseRAWObject();

  // The picture's own values that cannot be read are reported as such,
  // before any trial write; the picture stays open.
  const std::string kelvin = DownloadRaw({{"whiteBalance", 9}, {"kelvin", 4300}});
  for (const std::uint32_t passing : {0u, 1u}) {
    SCOPED_TRACE(passing);
    FailCall("EdsGetPropertyData", 0x00000081, passing);
    EXPECT_EQ(MessageOf([&] { controller->OpenRAWObject(kelvin); }),
              "EdsGetPropertyData errorcode 0x00000081, Device busy");
    EXPECT_THAT(CallsTo("EdsSetPropertyData"), IsEmpty());
    EXPECT_EQ(Params().WhiteBalanceKelvin, 4300);
    controller->CloseRAWObject();
    Sim().clearCallLog();
  }
}

TEST_F(EOSRawObject, WritesWhiteBalanceAndKelvinInHundreds) {
  const std::string raw = DownloadRaw();
  controller->OpenRAWObject(raw);
  Sim().clearCallLog();
  controller->SetRAWDevelopmentParameters({13, 6549});
  EXPECT_THAT(CallsTo("EdsSetPropertyData"),
              ElementsAre("EdsSetPropertyData(image#, 0x00000106, 0, 4, 09000000) = 0x00000000",
                          "EdsSetPropertyData(image#, 0x00000107, 0, 4, 64190000) = 0x00000000"));
  EXPECT_EQ(Params().WhiteBalanceSetting, 13);
  EXPECT_EQ(Params().WhiteBalanceKelvin, 6500);

  // Kelvin counts only with the colour-temperature setting.
  controller->SetRAWDevelopmentParameters({2, 3000});
  EXPECT_EQ(Params().WhiteBalanceSetting, 2);
  EXPECT_EQ(Params().WhiteBalanceKelvin, 0);

  Sim().clearCallLog();
  for (const std::uint8_t unknown : {0, 8, 9, 11, 17}) {
    SCOPED_TRACE(static_cast<int>(unknown));
    EXPECT_EQ(MessageOf([&] {
                controller->SetRAWDevelopmentParameters({unknown, 5000});
              }),
              "Whitebalance not known");
  }
  EXPECT_THAT(Calls(), IsEmpty());

  // Writes are not retried and a refusal is reported.
  FailCall("EdsSetPropertyData", 0x00000060);
  EXPECT_EQ(MessageOf([&] {
              controller->SetRAWDevelopmentParameters({3, 0});
            }),
            "EdsSetPropertyData errorcode 0x00000060, Invalid parameter");
}

TEST_F(EOSRawObject, RefusesEveryOperationWhileNoObjectIsOpen) {
  const std::string raw = DownloadRaw();
  const std::size_t references = Sim().liveReferences();
  controller->OpenRAWObject(raw);
  // A second open first gives the first object back.
  controller->OpenRAWObject(raw);
  EXPECT_EQ(Sim().liveReferences(), references + 2);
  controller->CloseRAWObject();
  EXPECT_EQ(Sim().liveReferences(), references);

  EXPECT_EQ(MessageOf([&] {
              controller->SetRAWDevelopmentParameters({1, 0});
            }),
            "SetRAWDevelopmentParameters : No RAW object is open");
  EXPECT_EQ(MessageOf([&] { controller->DevelopRAWPicture(Path("out.jpg"), 3, 0, "", 90); }),
            "DevelopRAWPicture : No RAW object is open");
  EXPECT_EQ(MessageOf([&] { controller->CloseRAWObject(); }),
            "CloseRAWObject : No RAW object is open");
  EXPECT_FALSE(platform::fileExists(Path("out.jpg")));
}

// ---------------------------------------------------------------------------
// Development

using EOSRawDevelopment = RawTest;

TEST_F(EOSRawDevelopment, DevelopsTiffAndJpegWithAndWithoutProfile) {
  const std::string raw = DownloadRaw();
  controller->OpenRAWObject(raw);
  const std::string profile = IccProfile();
  struct Case {
    std::int32_t format;
    std::int32_t bits;
    bool withProfile;
    bool jpeg;
    std::uint32_t bitsPerSample;
  };
  const Case cases[] = {
      {FileFormatTIFF, BitsPerPixel24Bits, true, false, 8},
      {FileFormatTIFF, BitsPerPixel48Bits, false, false, 16},
      {FileFormatTIFF, BitsPerPixel48Bits, true, false, 16},
      // A JPEG ignores the bits per pixel.
      {FileFormatJPEG, BitsPerPixel48Bits, true, true, 8},
      {FileFormatJPEG, BitsPerPixel24Bits, false, true, 8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.format) + "/" + std::to_string(c.bits) + "/" +
                 std::to_string(c.withProfile));
    const std::size_t references = Sim().liveReferences();
    Sim().clearCallLog();
    const std::string output = Path("developed");
    controller->DevelopRAWPicture(output, c.format, c.bits, c.withProfile ? profile : "", 90);

    const std::vector<std::uint8_t> bytes = platform::readFile(output);
    const std::optional<PictureFacts> facts = c.jpeg ? ReadJpeg(bytes) : ReadTiff(bytes);
    ASSERT_TRUE(facts.has_value());
    EXPECT_EQ(facts->width, 160u);
    EXPECT_EQ(facts->height, 120u);
    EXPECT_EQ(facts->bitsPerSample, c.bitsPerSample);
    EXPECT_EQ(facts->iccProfile, c.withProfile);
    const std::string target = c.jpeg ? "1" : c.bitsPerSample == 8 ? "7" : "8";
    EXPECT_THAT(CallsTo("EdsSaveImage"),
                ElementsAre("EdsSaveImage(image#, " + target + ", {90, " +
                            (c.withProfile ? "stream#" : "null") + ", 0}, stream#) = 0x00000000"));
    EXPECT_EQ(Sim().liveReferences(), references);
  }
}

TEST_F(EOSRawDevelopment, RefusalsAndFailuresLeaveNoStreamOpen) {
  const std::string raw = DownloadRaw();
  controller->OpenRAWObject(raw);
  const std::size_t references = Sim().liveReferences();
  const std::string output = Path("out.tif");
  const std::string longName = Path(std::string(255, 'o'));
  struct Case {
    std::int32_t format;
    std::string output;
    std::string profile;
    std::string message;
    bool outputCreated;
  };
  const Case cases[] = {
      {FileFormatTIFF, longName, longName, "Filename " + longName + " too long", false},
      {FileFormatTIFF, output, longName, "ICC profile filename " + longName + " too long", false},
      {FileFormatThumbnail, output, "", "Thumbnail in RAW development not implemented", true},
      {FileFormatJPEGInRaw, output, IccProfile(), "JPEG in RAW development not implemented", true},
      {FileFormatTIFF, output, Path("missing.icc"),
       "EdsCreateFileStream errorcode 0x00000022, File not found", true},
      // A format the SDK does not know reaches it as target type 0.
      {7, output, "", "EdsSaveImage errorcode 0x00000060, Invalid parameter", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    std::filesystem::remove(std::filesystem::path(output));
    EXPECT_EQ(
        MessageOf([&] { controller->DevelopRAWPicture(c.output, c.format, 0, c.profile, 90); }),
        c.message);
    EXPECT_EQ(platform::fileExists(output), c.outputCreated);
    if (c.outputCreated) {
      EXPECT_THAT(platform::readFile(output), IsEmpty());
    }
    EXPECT_EQ(Sim().liveReferences(), references);
  }
}

} // namespace
} // namespace vostrel::test
