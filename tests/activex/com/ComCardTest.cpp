// The card and RAW work of the control as a late-bound host drives it:
// listing the card with thumbnails, downloading with progress events at the
// sink, deleting, and developing a downloaded RAW file without a camera.

#include "ComServerFixture.h"

#include "core/TempFolder.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace vostrel::test {
namespace {

constexpr DISPID OnGetPictureEvent = 206;

std::wstring Wide(const std::string& text) {
  return std::wstring(text.begin(), text.end());
}

Variant WideText(const std::string& text) {
  return Variant(Wide(text).c_str());
}

class Card : public ComServer {
protected:
  void SetUp() override {
    ComServer::SetUp();
    Sim().loadScenario(CardEOSCameraScenario());
    Sim().setSynchronousCallbacks(false);
    object = CreateObject();
    ASSERT_NE(object, nullptr);
    ASSERT_EQ(Call(object, L"OpenCameraEnumeration").result, S_OK);
    ASSERT_EQ(Call(object, L"Connect", {Variant(CamModEOS), Variant(0)}).result, S_OK);
  }
  void TearDown() override {
    if (object != nullptr) {
      Call(object, L"Disconnect");
      Call(object, L"CloseCameraEnumeration");
    }
    ComServer::TearDown();
  }

  std::int32_t PictureCount() {
    return Call(object, L"OpenCameraCollection_GetNrOfPictures").value.lVal;
  }
  std::wstring NameOf(std::int32_t number) {
    return Text(Call(object, L"OpenCameraCollection_NameOfImage", {Variant(number)}).value.bstrVal);
  }
  std::vector<std::uint8_t> CardFile(const std::string& path) {
    return Sim().readFile(0, 0, path).value_or(std::vector<std::uint8_t>{});
  }

  // The folder the collection keeps its thumbnail file in.
  std::string Scratch() {
    const std::string scratch = folder.file("scratch");
    std::filesystem::create_directories(scratch);
    return scratch;
  }

  IVostrelActiveXX* object = nullptr;
  TempFolder folder;
};

bool IsJpeg(const std::vector<std::uint8_t>& bytes) {
  return bytes.size() > 4 && bytes[0] == 0xFF && bytes[1] == 0xD8 &&
         bytes[bytes.size() - 2] == 0xFF && bytes[bytes.size() - 1] == 0xD9;
}

TEST_F(Card, ListsThumbnailsDownloadsAndDeletesThroughInvoke) {
  ASSERT_EQ(
      Call(object, L"OpenCameraCollection", {WideText(Scratch()), Variant::Bool(true)}).result,
      S_OK);
  ASSERT_EQ(PictureCount(), 4);
  // Depth first, in the card's order.
  EXPECT_EQ(NameOf(0), L"IMG_0001.JPG");
  EXPECT_EQ(NameOf(1), L"IMG_0002.CR2");
  EXPECT_EQ(NameOf(2), L"IMG_0003.CR2");
  EXPECT_EQ(NameOf(3), L"IMG_0004.JPG");
  EXPECT_EQ(NameOf(4), L"");

  const std::string thumbnail = folder.file("thumb-4.jpg");
  ASSERT_EQ(
      Call(object, L"OpenCameraCollection_GetThumbnail", {Variant(3), WideText(thumbnail)}).result,
      S_OK);
  EXPECT_TRUE(IsJpeg(platform::readFile(thumbnail)));
  const DispatchOutcome raw =
      Call(object, L"OpenCameraCollection_GetThumbnail", {Variant(1), WideText(thumbnail)});
  EXPECT_EQ(raw.result, DISP_E_EXCEPTION);
  EXPECT_EQ(raw.description, L"Picture 1 (IMG_0002.CR2) has no thumbnail");
  const DispatchOutcome tooHigh =
      Call(object, L"OpenCameraCollection_GetThumbnail", {Variant(4), WideText(thumbnail)});
  EXPECT_EQ(tooHigh.description, L"PictureNumber too high. Picture 4 does not exists");

  // A download reports its progress at the sink and leaves the card's bytes.
  RecordingSink sink;
  const DWORD cookie = Advise(object, &sink);
  const std::string picture = folder.file("IMG_0004.JPG");
  ASSERT_EQ(
      Call(object, L"GetPicture", {Variant(3), Variant::Bool(false), WideText(picture)}).result,
      S_OK);
  Sim().waitIdle();
  PumpMessages();
  EXPECT_EQ(platform::readFile(picture), CardFile("DCIM/101EOS/IMG_0004.JPG"));
  std::vector<std::int32_t> progress;
  for (const RecordingSink::Event& event : sink.events) {
    if (event.id == OnGetPictureEvent) {
      progress.push_back(std::get<std::int32_t>(event.arguments.at(0)));
    }
  }
  ASSERT_FALSE(progress.empty());
  EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
  EXPECT_EQ(progress.back(), 100);
  Unadvise(object, cookie);

  // Deleting keeps the numbers of the list and the card's contents aligned.
  ASSERT_EQ(Call(object, L"DeletePicture", {Variant(0)}).result, S_OK);
  EXPECT_EQ(Sim().readFile(0, 0, "DCIM/100EOS/IMG_0001.JPG"), std::nullopt);
  const std::string next = folder.file("next.CR2");
  ASSERT_EQ(Call(object, L"GetPicture", {Variant(0), Variant::Bool(false), WideText(next)}).result,
            S_OK);
  EXPECT_EQ(platform::readFile(next), CardFile("DCIM/100EOS/IMG_0002.CR2"));

  const DispatchOutcome negative =
      Call(object, L"GetPicture", {Variant(-1), Variant::Bool(false), WideText(next)});
  EXPECT_EQ(negative.result, DISP_E_EXCEPTION);
  EXPECT_FALSE(negative.description.empty());

  EXPECT_EQ(Call(object, L"CloseCameraCollection").result, S_OK);
  const DispatchOutcome again = Call(object, L"CloseCameraCollection");
  EXPECT_EQ(again.result, DISP_E_EXCEPTION);
  EXPECT_EQ(again.description, L"CloseCameraCollection : No collection is open");
}

TEST_F(Card, RAWFileDevelopsWithoutACameraThroughInvoke) {
  ASSERT_EQ(
      Call(object, L"OpenCameraCollection", {WideText(Scratch()), Variant::Bool(false)}).result,
      S_OK);
  const std::string raw = folder.file("IMG_0003.CR2");
  ASSERT_EQ(Call(object, L"GetPicture", {Variant(2), Variant::Bool(false), WideText(raw)}).result,
            S_OK);
  ASSERT_EQ(Call(object, L"CloseCameraCollection").result, S_OK);
  ASSERT_EQ(Call(object, L"Disconnect").result, S_OK);

  ASSERT_EQ(Call(object, L"OpenRAWObject", {WideText(raw)}).result, S_OK);
  const DispatchOutcome supported = Call(object, L"OpenRAWObject_GetRemoteParamSupported",
                                         {Variant(RAWParamWhiteBalanceSetting)});
  ASSERT_EQ(supported.value.vt, VT_BSTR);
  EXPECT_EQ(Text(supported.value.bstrVal).size(), 17u);
  EXPECT_EQ(Text(supported.value.bstrVal).front(), L'0');
  // The picture's own white balance is what the open object reports: the
  // camera's code 3 is the public value 4.
  EXPECT_EQ(Call(object, L"GetRAWDevelopmentParameters", {Variant(RAWParamWhiteBalanceSetting)})
                .value.lVal,
            4);

  ASSERT_EQ(Call(object, L"SetRAWDevelopmentParameters",
                 {Variant(RAWParamWhiteBalanceKelvin), Variant(6549)})
                .result,
            S_OK);
  EXPECT_EQ(Call(object, L"GetRAWDevelopmentParameters", {Variant(RAWParamWhiteBalanceSetting)})
                .value.lVal,
            13); // the colour-temperature setting
  EXPECT_EQ(Call(object, L"GetRAWDevelopmentParameters", {Variant(RAWParamWhiteBalanceKelvin)})
                .value.lVal,
            6500);
  const DispatchOutcome unknown = Call(object, L"SetRAWDevelopmentParameters",
                                       {Variant(RAWParamWhiteBalanceSetting), Variant(9)});
  EXPECT_EQ(unknown.result, DISP_E_EXCEPTION);
  EXPECT_EQ(unknown.description, L"Whitebalance not known");

  const std::string profile = folder.file("profile.icc");
  platform::writeFile(profile, std::vector<std::uint8_t>(200, 0x11));
  const std::string tiff = folder.file("developed.tif");
  ASSERT_EQ(Call(object, L"DevelopRAWPicture",
                 {WideText(tiff), Variant(FileFormatTIFF), Variant(BitsPerPixel48Bits),
                  WideText(profile), Variant(0)})
                .result,
            S_OK);
  const std::vector<std::uint8_t> tiffBytes = platform::readFile(tiff);
  ASSERT_GT(tiffBytes.size(), 4u);
  EXPECT_TRUE(std::equal(tiffBytes.begin(), tiffBytes.begin() + 4, "II*"));
  // Three 16-bit samples per pixel and the profile make it larger than the
  // pixels of an 8-bit picture.
  EXPECT_GT(tiffBytes.size(), 160u * 120u * 6u);

  const std::string jpeg = folder.file("developed.jpg");
  ASSERT_EQ(Call(object, L"DevelopRAWPicture",
                 {WideText(jpeg), Variant(FileFormatJPEG), Variant(BitsPerPixel24Bits),
                  Variant(L""), Variant(85)})
                .result,
            S_OK);
  EXPECT_TRUE(IsJpeg(platform::readFile(jpeg)));

  const DispatchOutcome thumbnail =
      Call(object, L"DevelopRAWPicture",
           {WideText(folder.file("thumb.jpg")), Variant(FileFormatThumbnail),
            Variant(BitsPerPixel24Bits), Variant(L""), Variant(85)});
  EXPECT_EQ(thumbnail.description, L"Thumbnail in RAW development not implemented");

  EXPECT_EQ(Call(object, L"CloseRAWObject").result, S_OK);
  const DispatchOutcome closed =
      Call(object, L"GetRAWDevelopmentParameters", {Variant(RAWParamWhiteBalanceSetting)});
  EXPECT_EQ(closed.result, DISP_E_EXCEPTION);
  EXPECT_NE(closed.description.find(L"No RAW object is open"), std::wstring::npos);
}

} // namespace
} // namespace vostrel::test
