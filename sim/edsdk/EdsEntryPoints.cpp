// The 50 entry points of the simulated EDSDK.DLL. Each one logs its call,
// honours an injected failure, and turns every C++ exception into an error
// code: nothing thrown crosses into the host.

#include "sim/SimControl.h"
#include "sim/edsdk/EdsFailure.h"
#include "sim/edsdk/EdsSimulator.h"

#include <new>
#include <string>

// Every definition below must match these declarations from the SDK's
// entry-point table.
#define VOSTREL_SIM_DECLARE_ENTRY_POINT(number, name, result, parameters)                          \
  extern "C" VOSTREL_SIM_API result EDSAPI name parameters;
EDSDK_ENTRY_POINTS(VOSTREL_SIM_DECLARE_ENTRY_POINT)
#undef VOSTREL_SIM_DECLARE_ENTRY_POINT

namespace {

using namespace vostrel::sim;
using namespace vostrel::sim::eds;
using vostrel::sim::Bytes;

enum class Needs { Nothing, Sdk };

// Runs one call: `arguments` adds the logged arguments, `body` does the work
// and raises SdkFailure (fail) for an SDK error.
template <typename Arguments, typename Body>
EdsError entry(const char* name, Needs needs, Arguments arguments, Body body) noexcept {
  static constexpr vostrel::sim::EntryCodes Codes{
      EdsErrInvalidFunctionCall, EdsErrMemoryAllocationFailed, EdsErrInternalError};
  return vostrel::sim::runEntry<Call>(EdsSimulator::instance(), name, needs == Needs::Sdk, Codes,
                                      arguments, body);
}

// An out parameter the host must supply.
template <typename T>
T& out(T* pointer) {
  if (pointer == nullptr) {
    fail(EdsErrInvalidPointer);
  }
  return *pointer;
}

std::string reference(Call& call, EdsBaseRef ref) {
  return call.simulator().describe(ref);
}

// Hands a new reference back and logs it.
void giveReference(Call& call, EdsBaseRef* target, EdsBaseRef ref) {
  *target = ref;
  call.out(reference(call, ref));
}

// An entry point the simulated camera does not offer.
template <typename Arguments>
EdsError unsupported(const char* name, Arguments arguments) {
  return entry(name, Needs::Sdk, arguments, [](Call&) { fail(EdsErrNotSupported); });
}

} // namespace

extern "C" {

EdsError EDSAPI EdsInitializeSDK(void) {
  return entry(
      "EdsInitializeSDK", Needs::Nothing, [](Call&) {},
      [](Call& call) { call.simulator().initializeSdk(); });
}

EdsError EDSAPI EdsTerminateSDK(void) {
  // Callbacks already raised reach the host before the SDK ends.
  EdsSimulator& simulator = EdsSimulator::instance();
  simulator.waitIdle();
  const EdsError result = entry(
      "EdsTerminateSDK", Needs::Nothing, [](Call&) {},
      [](Call& call) { call.simulator().terminateSdk(); });
  simulator.events().stop();
  return result;
}

EdsError EDSAPI EdsRetain(EdsBaseRef ref) {
  return entry(
      "EdsRetain", Needs::Sdk, [&](Call& call) { call.argument(reference(call, ref)); },
      [&](Call& call) { call.simulator().retain(ref); });
}

EdsError EDSAPI EdsRelease(EdsBaseRef ref) {
  return entry(
      "EdsRelease", Needs::Sdk, [&](Call& call) { call.argument(reference(call, ref)); },
      [&](Call& call) { call.simulator().release(ref); });
}

EdsError EDSAPI EdsGetChildCount(EdsBaseRef parent, EdsUInt32* outCount) {
  return entry(
      "EdsGetChildCount", Needs::Sdk, [&](Call& call) { call.argument(reference(call, parent)); },
      [&](Call& call) {
        out(outCount) = call.simulator().childCount(parent);
        call.out(std::to_string(*outCount));
      });
}

EdsError EDSAPI EdsGetChildAtIndex(EdsBaseRef parent, EdsInt32 index, EdsBaseRef* outChild) {
  return entry(
      "EdsGetChildAtIndex", Needs::Sdk,
      [&](Call& call) {
        call.argument(reference(call, parent));
        call.argument(std::to_string(index));
      },
      [&](Call& call) {
        out(outChild);
        giveReference(call, outChild, call.simulator().childAtIndex(parent, index));
      });
}

EdsError EDSAPI EdsGetParent(EdsBaseRef ref, EdsBaseRef* outParent) {
  return entry(
      "EdsGetParent", Needs::Sdk, [&](Call& call) { call.argument(reference(call, ref)); },
      [&](Call& call) {
        out(outParent);
        giveReference(call, outParent, call.simulator().parentOf(ref));
      });
}

EdsError EDSAPI EdsGetPropertySize(EdsBaseRef ref, EdsUInt32 propertyId, EdsInt32 parameter,
                                   EdsUInt32* outDataType, EdsUInt32* outSize) {
  return entry(
      "EdsGetPropertySize", Needs::Sdk,
      [&](Call& call) {
        call.argument(reference(call, ref));
        call.argument(hexArgument(propertyId));
        call.argument(std::to_string(parameter));
      },
      [&](Call& call) {
        out(outDataType);
        out(outSize);
        call.simulator().propertySize(ref, propertyId, parameter, *outDataType, *outSize);
        call.out(std::to_string(*outDataType));
        call.out(std::to_string(*outSize));
      });
}

EdsError EDSAPI EdsGetPropertyData(EdsBaseRef ref, EdsUInt32 propertyId, EdsInt32 parameter,
                                   EdsUInt32 size, void* outData) {
  return entry(
      "EdsGetPropertyData", Needs::Sdk,
      [&](Call& call) {
        call.argument(reference(call, ref));
        call.argument(hexArgument(propertyId));
        call.argument(std::to_string(parameter));
        call.argument(std::to_string(size));
      },
      [&](Call& call) { call.simulator().getProperty(ref, propertyId, parameter, size, outData); });
}

EdsError EDSAPI EdsSetPropertyData(EdsBaseRef ref, EdsUInt32 propertyId, EdsInt32 parameter,
                                   EdsUInt32 size, const void* data) {
  return entry(
      "EdsSetPropertyData", Needs::Sdk,
      [&](Call& call) {
        call.argument(reference(call, ref));
        call.argument(hexArgument(propertyId));
        call.argument(std::to_string(parameter));
        call.argument(std::to_string(size));
        call.argument(dataArgument(data, size));
      },
      [&](Call& call) {
        call.simulator().setProperty(call, ref, propertyId, parameter, size, data);
      });
}

EdsError EDSAPI EdsGetPropertyDesc(EdsBaseRef ref, EdsUInt32 propertyId,
                                   PropertyDescType* outDesc) {
  return entry(
      "EdsGetPropertyDesc", Needs::Sdk,
      [&](Call& call) {
        call.argument(reference(call, ref));
        call.argument(hexArgument(propertyId));
      },
      [&](Call& call) {
        out(outDesc) = call.simulator().propertyDesc(ref, propertyId);
        call.out(std::to_string(outDesc->numElements) + " elements");
      });
}

EdsError EDSAPI EdsGetCameraList(EdsCameraListRef* outCameraList) {
  return entry(
      "EdsGetCameraList", Needs::Sdk, [](Call&) {},
      [&](Call& call) {
        out(outCameraList);
        giveReference(call, outCameraList, call.simulator().cameraList());
      });
}

EdsError EDSAPI EdsGetDeviceInfo(EdsCameraRef camera, DeviceInfoType* outInfo) {
  return entry(
      "EdsGetDeviceInfo", Needs::Sdk, [&](Call& call) { call.argument(reference(call, camera)); },
      [&](Call& call) {
        out(outInfo) = call.simulator().deviceInfo(camera);
        call.out(textArgument(outInfo->deviceDescription));
      });
}

EdsError EDSAPI EdsOpenSession(EdsCameraRef camera) {
  return entry(
      "EdsOpenSession", Needs::Sdk, [&](Call& call) { call.argument(reference(call, camera)); },
      [&](Call& call) { call.simulator().openSession(camera); });
}

EdsError EDSAPI EdsCloseSession(EdsCameraRef camera) {
  return entry(
      "EdsCloseSession", Needs::Sdk, [&](Call& call) { call.argument(reference(call, camera)); },
      [&](Call& call) { call.simulator().closeSession(camera); });
}

EdsError EDSAPI EdsSendCommand(EdsCameraRef camera, EdsUInt32 command, EdsInt32 parameter) {
  return entry(
      "EdsSendCommand", Needs::Sdk,
      [&](Call& call) {
        call.argument(reference(call, camera));
        call.argument(std::to_string(command));
        call.argument(std::to_string(parameter));
      },
      [&](Call& call) { call.simulator().sendCommand(call, camera, command, parameter); });
}

EdsError EDSAPI EdsSendStatusCommand(EdsCameraRef camera, EdsUInt32 command, EdsInt32 parameter) {
  return unsupported("EdsSendStatusCommand", [&](Call& call) {
    call.argument(reference(call, camera));
    call.argument(std::to_string(command));
    call.argument(std::to_string(parameter));
  });
}

EdsError EDSAPI EdsSetCapacity(EdsCameraRef camera, CapacityType capacity) {
  return unsupported("EdsSetCapacity", [&](Call& call) {
    call.argument(reference(call, camera));
    call.argument(std::to_string(capacity.numberOfFreeClusters));
    call.argument(std::to_string(capacity.bytesPerSector));
    call.argument(std::to_string(capacity.reset));
  });
}

EdsError EDSAPI EdsGetVolumeInfo(EdsVolumeRef volume, VolumeInfoType* outInfo) {
  return entry(
      "EdsGetVolumeInfo", Needs::Sdk, [&](Call& call) { call.argument(reference(call, volume)); },
      [&](Call& call) {
        out(outInfo) = call.simulator().volumeInfo(volume);
        call.out(textArgument(outInfo->volumeLabel));
      });
}

EdsError EDSAPI EdsFormatVolume(EdsVolumeRef volume) {
  return entry(
      "EdsFormatVolume", Needs::Sdk, [&](Call& call) { call.argument(reference(call, volume)); },
      [&](Call& call) { call.simulator().formatVolume(volume); });
}

EdsError EDSAPI EdsGetDirectoryItemInfo(EdsDirectoryItemRef item, DirectoryItemInfoType* outInfo) {
  return entry(
      "EdsGetDirectoryItemInfo", Needs::Sdk,
      [&](Call& call) { call.argument(reference(call, item)); },
      [&](Call& call) {
        out(outInfo) = call.simulator().itemInfo(item);
        call.out(textArgument(outInfo->fileName));
        call.out(std::to_string(outInfo->size));
      });
}

EdsError EDSAPI EdsDeleteDirectoryItem(EdsDirectoryItemRef item) {
  return entry(
      "EdsDeleteDirectoryItem", Needs::Sdk,
      [&](Call& call) { call.argument(reference(call, item)); },
      [&](Call& call) { call.simulator().deleteItem(item); });
}

EdsError EDSAPI EdsDownload(EdsDirectoryItemRef item, EdsUInt32 size, EdsStreamRef stream) {
  return entry(
      "EdsDownload", Needs::Sdk,
      [&](Call& call) {
        call.argument(reference(call, item));
        call.argument(std::to_string(size));
        call.argument(reference(call, stream));
      },
      [&](Call& call) { call.simulator().download(call, item, size, stream); });
}

EdsError EDSAPI EdsDownloadCancel(EdsDirectoryItemRef item) {
  return entry(
      "EdsDownloadCancel", Needs::Sdk, [&](Call& call) { call.argument(reference(call, item)); },
      [&](Call& call) { call.simulator().downloadComplete(item); });
}

EdsError EDSAPI EdsDownloadComplete(EdsDirectoryItemRef item) {
  return entry(
      "EdsDownloadComplete", Needs::Sdk, [&](Call& call) { call.argument(reference(call, item)); },
      [&](Call& call) { call.simulator().downloadComplete(item); });
}

EdsError EDSAPI EdsDownloadThumbnail(EdsDirectoryItemRef item, EdsStreamRef stream) {
  return entry(
      "EdsDownloadThumbnail", Needs::Sdk,
      [&](Call& call) {
        call.argument(reference(call, item));
        call.argument(reference(call, stream));
      },
      [&](Call& call) { call.simulator().downloadThumbnail(item, stream); });
}

EdsError EDSAPI EdsGetAttribute(EdsDirectoryItemRef item, EdsUInt32*) {
  return unsupported("EdsGetAttribute", [&](Call& call) { call.argument(reference(call, item)); });
}

EdsError EDSAPI EdsSetAttribute(EdsDirectoryItemRef item, EdsUInt32 attribute) {
  return unsupported("EdsSetAttribute", [&](Call& call) {
    call.argument(reference(call, item));
    call.argument(hexArgument(attribute));
  });
}

EdsError EDSAPI EdsCreateFileStream(const char* fileName, EdsUInt32 disposition, EdsUInt32 access,
                                    EdsStreamRef* outStream) {
  return entry(
      "EdsCreateFileStream", Needs::Sdk,
      [&](Call& call) {
        call.argument(textArgument(fileName));
        call.argument(std::to_string(disposition));
        call.argument(std::to_string(access));
      },
      [&](Call& call) {
        out(outStream);
        giveReference(call, outStream,
                      call.simulator().createFileStream(fileName, disposition, access));
      });
}

EdsError EDSAPI EdsCreateMemoryStream(EdsUInt32 bufferSize, EdsStreamRef* outStream) {
  return entry(
      "EdsCreateMemoryStream", Needs::Sdk,
      [&](Call& call) { call.argument(std::to_string(bufferSize)); },
      [&](Call& call) {
        out(outStream);
        giveReference(call, outStream, call.simulator().createMemoryStream(bufferSize));
      });
}

EdsError EDSAPI EdsCreateFileStreamEx(const wchar_t*, EdsUInt32 disposition, EdsUInt32 access,
                                      EdsStreamRef*) {
  return unsupported("EdsCreateFileStreamEx", [&](Call& call) {
    call.argument(std::to_string(disposition));
    call.argument(std::to_string(access));
  });
}

EdsError EDSAPI EdsCreateMemoryStreamFromPointer(void*, EdsUInt32 bufferSize, EdsStreamRef*) {
  return unsupported("EdsCreateMemoryStreamFromPointer",
                     [&](Call& call) { call.argument(std::to_string(bufferSize)); });
}

EdsError EDSAPI EdsGetPointer(EdsStreamRef stream, void** outPointer) {
  return entry(
      "EdsGetPointer", Needs::Sdk, [&](Call& call) { call.argument(reference(call, stream)); },
      [&](Call& call) { out(outPointer) = call.simulator().pointer(stream); });
}

EdsError EDSAPI EdsRead(EdsStreamRef stream, EdsUInt32 readSize, void* buffer,
                        EdsUInt32* outReadSize) {
  return entry(
      "EdsRead", Needs::Sdk,
      [&](Call& call) {
        call.argument(reference(call, stream));
        call.argument(std::to_string(readSize));
      },
      [&](Call& call) {
        out(outReadSize) = call.simulator().read(stream, readSize, buffer);
        call.out(std::to_string(*outReadSize));
      });
}

EdsError EDSAPI EdsWrite(EdsStreamRef stream, EdsUInt32 writeSize, const void* buffer,
                         EdsUInt32* outWrittenSize) {
  return entry(
      "EdsWrite", Needs::Sdk,
      [&](Call& call) {
        call.argument(reference(call, stream));
        call.argument(std::to_string(writeSize));
      },
      [&](Call& call) {
        out(outWrittenSize) = call.simulator().write(stream, writeSize, buffer);
        call.out(std::to_string(*outWrittenSize));
      });
}

EdsError EDSAPI EdsSeek(EdsStreamRef stream, EdsInt32 offset, EdsUInt32 origin) {
  return entry(
      "EdsSeek", Needs::Sdk,
      [&](Call& call) {
        call.argument(reference(call, stream));
        call.argument(std::to_string(offset));
        call.argument(std::to_string(origin));
      },
      [&](Call& call) { call.simulator().seek(stream, offset, origin); });
}

EdsError EDSAPI EdsGetPosition(EdsStreamRef stream, EdsUInt32* outPosition) {
  return entry(
      "EdsGetPosition", Needs::Sdk, [&](Call& call) { call.argument(reference(call, stream)); },
      [&](Call& call) {
        out(outPosition) = call.simulator().position(stream);
        call.out(std::to_string(*outPosition));
      });
}

EdsError EDSAPI EdsGetLength(EdsStreamRef stream, EdsUInt32* outLength) {
  return entry(
      "EdsGetLength", Needs::Sdk, [&](Call& call) { call.argument(reference(call, stream)); },
      [&](Call& call) {
        out(outLength) = call.simulator().length(stream);
        call.out(std::to_string(*outLength));
      });
}

EdsError EDSAPI EdsCopyData(EdsStreamRef inStream, EdsUInt32 writeSize, EdsStreamRef outStream) {
  return entry(
      "EdsCopyData", Needs::Sdk,
      [&](Call& call) {
        call.argument(reference(call, inStream));
        call.argument(std::to_string(writeSize));
        call.argument(reference(call, outStream));
      },
      [&](Call& call) { call.simulator().copyData(inStream, writeSize, outStream); });
}

EdsError EDSAPI EdsSetProgressCallback(EdsBaseRef ref, EdsProgressCallback callback,
                                       EdsUInt32 option, void* context) {
  return entry(
      "EdsSetProgressCallback", Needs::Sdk,
      [&](Call& call) {
        call.argument(reference(call, ref));
        call.argument(handlerArgument(callback != nullptr));
        call.argument(std::to_string(option));
      },
      [&](Call& call) { call.simulator().setProgressCallback(ref, callback, option, context); });
}

EdsError EDSAPI EdsCreateImageRef(EdsStreamRef stream, EdsImageRef* outImage) {
  return entry(
      "EdsCreateImageRef", Needs::Sdk, [&](Call& call) { call.argument(reference(call, stream)); },
      [&](Call& call) {
        out(outImage);
        giveReference(call, outImage, call.simulator().createImage(stream));
      });
}

EdsError EDSAPI EdsGetImageInfo(EdsImageRef image, EdsUInt32 imageSource, ImageInfoType* outInfo) {
  return entry(
      "EdsGetImageInfo", Needs::Sdk,
      [&](Call& call) {
        call.argument(reference(call, image));
        call.argument(std::to_string(imageSource));
      },
      [&](Call& call) { out(outInfo) = call.simulator().imageInfo(image); });
}

EdsError EDSAPI EdsGetImage(EdsImageRef image, EdsUInt32 imageSource, EdsUInt32 targetImageType,
                            EdsStreamRef stream) {
  return unsupported("EdsGetImage", [&](Call& call) {
    call.argument(reference(call, image));
    call.argument(std::to_string(imageSource));
    call.argument(std::to_string(targetImageType));
    call.argument(reference(call, stream));
  });
}

EdsError EDSAPI EdsSaveImage(EdsImageRef image, EdsUInt32 targetImageType,
                             SaveImageSettingType setting, EdsStreamRef outStream) {
  return entry(
      "EdsSaveImage", Needs::Sdk,
      [&](Call& call) {
        call.argument(reference(call, image));
        call.argument(std::to_string(targetImageType));
        call.argument("{" + std::to_string(setting.jpegQuality) + ", " +
                      reference(call, setting.iccProfileStream) + ", " +
                      std::to_string(setting.reserved) + "}");
        call.argument(reference(call, outStream));
      },
      [&](Call& call) { call.simulator().saveImage(image, targetImageType, setting, outStream); });
}

EdsError EDSAPI EdsCacheImage(EdsImageRef image, EdsBool useCache) {
  return unsupported("EdsCacheImage", [&](Call& call) {
    call.argument(reference(call, image));
    call.argument(std::to_string(useCache));
  });
}

EdsError EDSAPI EdsReflectImageProperty(EdsImageRef image) {
  return unsupported("EdsReflectImageProperty",
                     [&](Call& call) { call.argument(reference(call, image)); });
}

EdsError EDSAPI EdsSetCameraAddedHandler(EdsCameraAddedHandler handler, void*) {
  return unsupported("EdsSetCameraAddedHandler",
                     [&](Call& call) { call.argument(handlerArgument(handler != nullptr)); });
}

EdsError EDSAPI EdsSetPropertyEventHandler(EdsCameraRef camera, EdsUInt32 event,
                                           EdsPropertyEventHandler handler, void* context) {
  return entry(
      "EdsSetPropertyEventHandler", Needs::Sdk,
      [&](Call& call) {
        call.argument(reference(call, camera));
        call.argument(hexArgument(event));
        call.argument(handlerArgument(handler != nullptr));
      },
      [&](Call& call) { call.simulator().setPropertyHandler(camera, event, handler, context); });
}

EdsError EDSAPI EdsSetObjectEventHandler(EdsCameraRef camera, EdsUInt32 event,
                                         EdsObjectEventHandler handler, void* context) {
  return entry(
      "EdsSetObjectEventHandler", Needs::Sdk,
      [&](Call& call) {
        call.argument(reference(call, camera));
        call.argument(hexArgument(event));
        call.argument(handlerArgument(handler != nullptr));
      },
      [&](Call& call) { call.simulator().setObjectHandler(camera, event, handler, context); });
}

EdsError EDSAPI EdsSetCameraStateEventHandler(EdsCameraRef camera, EdsUInt32 event,
                                              EdsStateEventHandler handler, void* context) {
  return entry(
      "EdsSetCameraStateEventHandler", Needs::Sdk,
      [&](Call& call) {
        call.argument(reference(call, camera));
        call.argument(hexArgument(event));
        call.argument(handlerArgument(handler != nullptr));
      },
      [&](Call& call) { call.simulator().setStateHandler(camera, event, handler, context); });
}

} // extern "C"

namespace vostrel::sim {

Simulator& simulator() {
  return eds::EdsSimulator::instance();
}

} // namespace vostrel::sim
