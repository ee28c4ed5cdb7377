#include "eos/EOSRemoteParams.h"

#include "eos/EDSDK.h"
#include "eos/EOSParamRecords.h"
#include "eos/EOSParamTables.h"

#include <array>
#include <optional>

namespace vostrel::eos {

namespace {

template <typename Value>
bool GetProperty(EdsCameraRef camera, EdsUInt32 propertyId, Value& value) {
  return edsdk::EdsGetPropertyData(camera, propertyId, 0, EdsUInt32{sizeof value}, &value) ==
         EdsErrOK;
}

template <typename Value>
void SetProperty(EdsCameraRef camera, EdsUInt32 propertyId, const Value& value) {
  SetWithRetry(camera, propertyId, &value, EdsUInt32{sizeof value});
}

// One EDSDK property and the fields of RemoteParamsType it stands for.
class ParamProperty {
public:
  // Fills the fields from the camera; a failed read leaves them as they are.
  virtual void Read(EdsCameraRef camera, RemoteParamsType& params) const = 0;
  // Writes the fields to the camera unless they ask for no change.
  virtual void Write(EdsCameraRef camera, const RemoteParamsType& params) const = 0;

protected:
  constexpr ParamProperty() = default;
  ~ParamProperty() = default;
};

// A 32-bit property that holds the code of one public-value field.
class CodeProperty final : public ParamProperty {
public:
  constexpr CodeProperty(EdsUInt32 propertyId, std::uint8_t RemoteParamsType::*field,
                         const ParamConversion& conversion)
      : propertyId_(propertyId), field_(field), conversion_(conversion) {}

  void Read(EdsCameraRef camera, RemoteParamsType& params) const override {
    EdsUInt32 value = 0;
    if (GetProperty(camera, propertyId_, value)) {
      params.*field_ = conversion_.ToValue(value);
    }
  }

  void Write(EdsCameraRef camera, const RemoteParamsType& params) const override {
    const std::uint8_t value = params.*field_;
    if (value == 0) {
      return;
    }
    const EdsInt32 code = conversion_.ToCode(value);
    if (code != conversion_.NoValueCode()) {
      SetProperty(camera, propertyId_, code);
    }
  }

private:
  EdsUInt32 propertyId_;
  std::uint8_t RemoteParamsType::*field_;
  const ParamConversion& conversion_;
};

// A property whose value is a record, moved to and from its fields by a pair
// of conversions. A property that depends on another field is read only
// when that field, read before it, asks for it.
template <typename Record>
class RecordProperty final : public ParamProperty {
public:
  using ToParamsFn = void (*)(const Record&, RemoteParamsType&);
  using FromParamsFn = std::optional<Record> (*)(const RemoteParamsType&);
  using ReadWhenFn = bool (*)(const RemoteParamsType&);

  constexpr RecordProperty(EdsUInt32 propertyId, ToParamsFn toParams, FromParamsFn fromParams,
                           ReadWhenFn readWhen = nullptr)
      : propertyId_(propertyId), toParams_(toParams), fromParams_(fromParams), readWhen_(readWhen) {
  }

  void Read(EdsCameraRef camera, RemoteParamsType& params) const override {
    if (readWhen_ != nullptr && !readWhen_(params)) {
      return;
    }
    Record record{};
    if (GetProperty(camera, propertyId_, record)) {
      toParams_(record, params);
    }
  }

  void Write(EdsCameraRef camera, const RemoteParamsType& params) const override {
    if (const std::optional<Record> record = fromParams_(params)) {
      SetProperty(camera, propertyId_, *record);
    }
  }

private:
  EdsUInt32 propertyId_;
  ToParamsFn toParams_;
  FromParamsFn fromParams_;
  ReadWhenFn readWhen_;
};

using Params = RemoteParamsType;

const RecordProperty<ImageQualityValueType> ImageQuality{EdsPropImageQuality, ImageQualityToParams,
                                                         ImageQualityFromParams};
const CodeProperty ImageMode{EdsPropShootingMode, &Params::ImageMode, ImageModeTable};
const CodeProperty Aperture{EdsPropAv, &Params::Av, ApertureScale};
const CodeProperty ShutterSpeed{EdsPropTv, &Params::Tv, ShutterSpeedScale};
const CodeProperty ExposureCompensation{EdsPropExposureCompensation, &Params::ExposureCompensation,
                                        ExposureCompensationTable};
const CodeProperty WhiteBalance{EdsPropWhiteBalance, &Params::WhiteBalanceSetting,
                                WhiteBalanceTable};
const RecordProperty<EdsInt32> ColorTemperature{EdsPropColorTemperature, ColorTemperatureToParams,
                                                ColorTemperatureFromParams, UsesColorTemperature};
const RecordProperty<WhiteBalanceShiftType> WhiteBalanceShift{
    EdsPropWhiteBalanceShift, WhiteBalanceShiftToParams, WhiteBalanceShiftFromParams};
const CodeProperty AFMode{EdsPropAFMode, &Params::AFMode, AFModeTable};
const CodeProperty DriveMode{EdsPropDriveMode, &Params::DriveMode, DriveModeTable};
const CodeProperty MeteringMode{EdsPropMeteringMode, &Params::MLWeiMode, MeteringModeTable};
const CodeProperty ColorSpace{EdsPropColorSpace, &Params::ColorSpace, ColorSpaceTable};
const CodeProperty Sensitivity{EdsPropIsoSpeed, &Params::ISO, SensitivityScale};
const RecordProperty<PictureStyleValueType> PictureStyle{EdsPropPictureStyle, PictureStyleToParams,
                                                         PictureStyleFromParams};
const CodeProperty PhotoEffect{EdsPropPhotoEffect, &Params::PhotoEffect, PhotoEffectTable};

// The order in which the properties are read and written. The colour
// temperature follows the white balance, whose value it depends on.
const std::array<const ParamProperty*, 15> PropertiesInOrder{
    &ImageQuality, &ImageMode,        &Aperture,          &ShutterSpeed, &ExposureCompensation,
    &WhiteBalance, &ColorTemperature, &WhiteBalanceShift, &AFMode,       &DriveMode,
    &MeteringMode, &ColorSpace,       &Sensitivity,       &PictureStyle, &PhotoEffect,
};

} // namespace

void ReadRemoteParams(EdsCameraRef camera, RemoteParamsType& params) {
  params = RemoteParamsType{};
  for (const ParamProperty* property : PropertiesInOrder) {
    property->Read(camera, params);
  }
}

void WriteRemoteParams(EdsCameraRef camera, const RemoteParamsType& params) {
  for (const ParamProperty* property : PropertiesInOrder) {
    property->Write(camera, params);
  }
}

bool SetWithRetry(EdsCameraRef camera, EdsUInt32 propertyId, const void* data, EdsUInt32 size) {
  platform::Milliseconds waited{0};
  while (edsdk::EdsSetPropertyData(camera, propertyId, 0, size, data) != EdsErrOK) {
    if (waited >= SetRetryLimit) {
      return false;
    }
    platform::sleepFor(SetRetryInterval);
    waited += SetRetryInterval;
  }
  return true;
}

} // namespace vostrel::eos
