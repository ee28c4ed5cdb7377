// RAW development of EOS pictures: one RAW file open at a time, its white
// balance read and chosen through the public values of the white-balance
// setting, and developed by the SDK into a TIFF or JPEG file.

#include "core/ECamException.h"
#include "core/TryFinally.h"
#include "eos/EDSDK.h"
#include "eos/EDSDKApi.h"
#include "eos/EOSParamTables.h"

#include <string>
#include <utility>

namespace vostrel {

namespace {

using namespace edsdk;

using eos::WhiteBalanceTable;

// The first and last public value of the white-balance setting.
constexpr std::uint8_t FirstWhiteBalance = 1;
constexpr std::uint8_t LastWhiteBalance = 16;

// The SDK's target image type for a file format and a bit depth; 0 for a
// combination the SDK does not know, which it then refuses itself.
EdsUInt32 TargetImageTypeOf(std::int32_t fileFormat, std::int32_t bitsPerPixel) {
  switch (fileFormat) {
  case FileFormatTIFF:
    if (bitsPerPixel == BitsPerPixel24Bits) {
      return EdsTargetImageTIFF;
    }
    return bitsPerPixel == BitsPerPixel48Bits ? EdsTargetImageTIFF16 : 0;
  case FileFormatThumbnail:
    throw ECamException("Thumbnail in RAW development not implemented");
  case FileFormatJPEGInRaw:
    throw ECamException("JPEG in RAW development not implemented");
  case FileFormatJPEG:
    // A JPEG has 8 bits per channel, whatever was asked for.
    return EdsTargetImageJPEG;
  default:
    return 0;
  }
}

EdsError ReadImageProperty(EdsImageRef image, EdsUInt32 propertyId, EdsUInt32& value) {
  return EdsGetPropertyData(image, propertyId, 0, EdsUInt32{sizeof value}, &value);
}

// A picture's white balance and, for the colour-temperature setting, its
// colour temperature. `read` (image, property, value) tells whether the value
// was read; a value not read counts as 0.
template <typename Read>
RAWDevelopParamsType WhiteBalanceOf(EdsImageRef image, Read&& read) {
  RAWDevelopParamsType params{};
  EdsUInt32 code = 0;
  params.WhiteBalanceSetting =
      read(image, EdsPropWhiteBalance, code) ? WhiteBalanceTable.ToValue(code) : 0;
  EdsUInt32 kelvin = 0;
  if (params.WhiteBalanceSetting == WhiteBalanceColorTemperature &&
      read(image, EdsPropColorTemperature, kelvin)) {
    params.WhiteBalanceKelvin = static_cast<std::int32_t>(kelvin);
  }
  return params;
}

EdsError WriteImageProperty(EdsImageRef image, EdsUInt32 propertyId, EdsInt32 value) {
  return EdsSetPropertyData(image, propertyId, 0, EdsUInt32{sizeof value}, &value);
}

} // namespace

void TEDSDK::OpenRAWObject(const std::string& fileName, RAWSupportedType& supported) {
  supported.WhiteBalanceSetting.fill(false);
  CheckNameLength("Filename ", fileName);
  // One RAW object at a time: the one still open is given back first.
  if (RAWObjectOpen()) {
    ReleaseRAWObject();
  }

  EdsStreamRef stream = nullptr;
  EdsCreateFileStream.checked(fileName.c_str(), EdsFileOpenExisting, EdsAccessRead, &stream);
  EdsImageRef image = nullptr;
  try {
    EdsCreateImageRef.checked(stream, &image);
  } catch (...) {
    // Not a RAW picture: the file is not kept open; the first failure is
    // the one reported.
    static_cast<void>(EdsRelease(stream));
    throw;
  }
  RAWStream = stream;
  RAWImage = image;

  // Every setting with a code is tried on the picture; a refused write only
  // means that the setting does not apply. The picture's own white balance
  // is put back afterwards.
  // The picture's own values must be known to be put back: here a read that
  // fails is reported.
  const RAWDevelopParamsType own =
      WhiteBalanceOf(RAWImage, [](EdsImageRef picture, EdsUInt32 propertyId, EdsUInt32& value) {
        EdsGetPropertyData.checked(picture, propertyId, 0, EdsUInt32{sizeof value}, &value);
        return true;
      });
  for (std::uint8_t value = FirstWhiteBalance; value <= LastWhiteBalance; ++value) {
    const EdsInt32 code = WhiteBalanceTable.ToCode(value);
    if (code != WhiteBalanceTable.NoValueCode()) {
      supported.WhiteBalanceSetting[value] =
          WriteImageProperty(RAWImage, EdsPropWhiteBalance, code) == EdsErrOK;
    }
  }
  SetRAWDevelopmentParameters(own);
}

// Reads never fail: a white balance the SDK does not deliver reads as 0, a
// colour temperature it does not deliver as 0 Kelvin.
void TEDSDK::GetRAWDevelopmentParameters(RAWDevelopParamsType& params) {
  RequireRAWObject("GetRAWDevelopmentParameters");
  params = WhiteBalanceOf(RAWImage, [](EdsImageRef image, EdsUInt32 propertyId, EdsUInt32& value) {
    return ReadImageProperty(image, propertyId, value) == EdsErrOK;
  });
}

void TEDSDK::SetRAWDevelopmentParameters(RAWDevelopParamsType params) {
  RequireRAWObject("SetRAWDevelopmentParameters");
  const EdsInt32 code = WhiteBalanceTable.ToCode(params.WhiteBalanceSetting);
  if (code == WhiteBalanceTable.NoValueCode()) {
    throw ECamException("Whitebalance not known");
  }
  EdsSetPropertyData.checked(RAWImage, EdsPropWhiteBalance, 0, EdsUInt32{sizeof code}, &code);
  if (params.WhiteBalanceSetting == WhiteBalanceColorTemperature) {
    // The SDK takes colour temperatures in steps of 100 Kelvin.
    const EdsInt32 kelvin = params.WhiteBalanceKelvin / 100 * 100;
    EdsSetPropertyData.checked(RAWImage, EdsPropColorTemperature, 0, EdsUInt32{sizeof kelvin},
                               &kelvin);
  }
}

void TEDSDK::DevelopRAWPicture(const std::string& outputFile, std::int32_t fileFormat,
                               std::int32_t bitsPerPixel, const std::string& iccProfileFile,
                               std::int32_t jpegQuality) {
  RequireRAWObject("DevelopRAWPicture");
  CheckNameLength("Filename ", outputFile);
  CheckNameLength("ICC profile filename ", iccProfileFile);

  // The output file is created anew before anything else is tested, so a
  // refused format leaves it empty.
  EdsStreamRef output = nullptr;
  EdsCreateFileStream.checked(outputFile.c_str(), EdsFileCreateAlways, EdsAccessWrite, &output);
  TryFinally(
      [&] {
        EdsStreamRef profile = nullptr;
        if (!iccProfileFile.empty()) {
          EdsCreateFileStream.checked(iccProfileFile.c_str(), EdsFileOpenExisting, EdsAccessRead,
                                      &profile);
        }
        TryFinally(
            [&] {
              const EdsUInt32 target = TargetImageTypeOf(fileFormat, bitsPerPixel);
              const SaveImageSettingType setting{static_cast<EdsUInt32>(jpegQuality), profile, 0};
              EdsSaveImage.checked(RAWImage, target, setting, output);
            },
            [&] {
              if (profile != nullptr) {
                EdsRelease.checked(profile);
              }
            });
      },
      [&] { EdsRelease.checked(output); });
}

void TEDSDK::CloseRAWObject() {
  if (!RAWObjectOpen()) {
    throw ECamException("CloseRAWObject : No RAW object is open");
  }
  ReleaseRAWObject();
}

bool TEDSDK::RAWObjectOpen() const {
  return RAWImage != nullptr || RAWStream != nullptr;
}

void TEDSDK::RequireRAWObject(const std::string& operation) const {
  if (RAWImage == nullptr) {
    throw ECamException(operation + " : No RAW object is open");
  }
}

// The image goes first, then the file it was read from. Each reference is
// forgotten before it is given back, so a failing release is not repeated,
// and the file is given back even when the image cannot be: the object ends
// closed, and the first failure is reported.
void TEDSDK::ReleaseRAWObject() {
  RunEvery(
      [&] {
        if (RAWImage != nullptr) {
          EdsRelease.checked(std::exchange(RAWImage, nullptr));
        }
      },
      [&] {
        if (RAWStream != nullptr) {
          EdsRelease.checked(std::exchange(RAWStream, nullptr));
        }
      });
}

} // namespace vostrel
