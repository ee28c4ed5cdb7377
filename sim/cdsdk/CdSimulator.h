#pragma once
// The simulated CDSDK.DLL: the state behind its entry points. Every
// operation runs with the lock taken by a Call and raises SdkFailure (fail)
// for a CD result code.

#include "powershot_cd/CDTYPE.h"
#include "sim/cdsdk/CdFamily.h"
#include "sim/world/SdkCall.h"
#include "sim/world/Simulator.h"
#include "sim/world/StoppedStreams.h"
#include "sim/world/ViewfinderStream.h"

#include <deque>
#include <map>
#include <memory>
#include <vector>

namespace vostrel::sim::cd {

// CD result codes the simulated cameras give.
inline constexpr cdError cdInternalError = 0x00000002;
inline constexpr cdError cdMemoryAllocationFailed = 0x00000003;
inline constexpr cdError cdIncompatibleVersion = 0x00000006;
inline constexpr cdError cdNotSupported = 0x00000007;
inline constexpr cdError cdInvalidParameter = 0x00000060;
inline constexpr cdError cdInvalidHandle = 0x00000061;
inline constexpr cdError cdInvalidPointer = 0x00000062;
inline constexpr cdError cdInvalidLength = 0x00000064;
inline constexpr cdError cdFileOpenError = 0x00000023;
inline constexpr cdError cdFileWriteError = 0x00000028;
inline constexpr cdError cdDeviceNotFound = 0x00000080;
inline constexpr cdError cdDeviceMemoryFull = 0x00000084;
inline constexpr cdError cdDeviceInvalidParameter = 0x00000086;
inline constexpr cdError cdDeviceNoDisk = 0x00000087;
inline constexpr cdError cdCommunicationDisconnected = 0x000000C1;
inline constexpr cdError cdInvalidFunctionCall = 0x000000F1;

[[noreturn]] inline void fail(cdError code) {
  throw SdkFailure(code);
}

class CdSimulator;

class Call : public SdkCall {
public:
  Call(CdSimulator& simulator, const char* name);
  CdSimulator& simulator() { return simulator_; }

private:
  CdSimulator& simulator_;
};

class CdSimulator final : public Simulator {
public:
  static CdSimulator& instance();

  CdSimulator();

  // Control interface.
  void raiseEvent(std::int32_t camera, std::int32_t kind, std::uint32_t code,
                  std::uint32_t argument, std::uint32_t parameter) override;
  void detachCamera(std::int32_t camera) override;
  // The open sources and enumerations of the host.
  std::size_t liveReferences() override;

  bool started() const { return started_; }
  // A handle as the call log shows it ("source#3", "enum#4", "invalid#7").
  std::string describe(cdHandle handle) const;

  // The SDK.
  void startSdk(const cdVersionInfo* version);
  void finishSdk();

  // Enumerations: the attached cameras, the device properties of a source,
  // the volumes of a source.
  cdHandle enumerateDevices(cdUInt32 kind);
  cdHandle enumerateProperties(cdHandle source);
  cdHandle enumerateVolumes(cdHandle source);
  cdUInt32 count(cdHandle enumeration);
  void nextDevice(Call& call, cdHandle enumeration, cdSourceInfo* record);
  void nextProperty(Call& call, cdHandle enumeration, cdDevicePropertyInfo* record);
  cdHandle nextVolume(cdHandle enumeration);
  void release(cdHandle enumeration);

  // Sources and their event handlers.
  cdHandle openSource(const cdSourceInfo* record);
  void closeSource(cdHandle source);
  cdHandle registerHandler(cdHandle source, cdEventCallbackFunction callback, cdContext context);
  void unregisterHandler(cdHandle source, cdHandle registration);

  // Device properties, the card and the release control.
  void getProperty(Call& call, cdHandle source, cdUInt32 code, cdUInt32* size, void* data);
  void setProperty(cdHandle source, cdUInt32 code, const cdUInt32* size, const void* data);
  void volumeInfo(cdHandle volume, cdVolumeInfo* info);
  void format(cdHandle volume);
  cdUInt32 releaseControlFaculty(cdHandle source);

  // Release control (CdRelease.cpp).
  void enterReleaseControl(cdHandle source, cdReleaseEventCallbackFunction callback,
                           cdContext context);
  void exitReleaseControl(cdHandle source);
  void selectReleaseDataKind(cdHandle source, cdUInt32 kind);
  void release(Call& call, cdHandle source, cdProgressCallbackFunction progress, cdContext context,
               cdUInt32* count);
  void releasedData(Call& call, cdHandle source, cdProgressCallbackFunction progress,
                    cdContext context, void* info, const void* destination);
  cdUInt32 availableShots(cdHandle source);

  // Shooting settings under release control (CdSettings.cpp): the value
  // families by their identifier (CdFamily.h), the image format and flash
  // pairs, and the camera settings by their setting code.
  cdUInt16 code(cdHandle source, std::uint32_t family);
  void setCode(cdHandle source, std::uint32_t family, cdUInt32 code);
  cdHandle enumerateCodes(cdHandle source, std::uint32_t family);
  cdUInt16 nextCode(cdHandle enumeration);
  void imageFormat(cdHandle source, cdUInt16* quality, cdUInt16* size);
  void setImageFormat(cdHandle source, cdUInt32 quality, cdUInt32 size);
  void nextImageFormat(cdHandle enumeration, cdUInt16* quality, cdUInt16* size);
  void flash(cdHandle source, cdUInt16* mode, cdUInt16* compensation);
  void setFlash(cdHandle source, cdUInt32 mode, cdUInt32 compensation);
  void getSetting(Call& call, cdHandle source, cdUInt32 setting, cdUInt32* size, void* value);
  void setSetting(cdHandle source, cdUInt32 setting, cdUInt32 size, const void* value);
  cdHandle enumerateSetting(cdHandle source, cdUInt32 setting, cdUInt32* valueSize);
  void nextSetting(cdHandle enumeration, cdUInt32 valueSize, void* value);

  // The live functions under release control (CdLive.cpp). The viewfinder's
  // frames go from a stream of their own to the callback, without the lock.
  void startViewfinder(cdHandle source, cdUInt32 format, cdViewfinderCallbackFunction callback,
                       cdContext context);
  // Stops the stream; it is joined by joinStoppedStreams.
  void terminateViewfinder(cdHandle source);
  void selectViewfinderOutput(cdHandle source, cdUInt32 output);
  void viewfinderAutoFunctions(cdHandle source, cdUInt32 functions);
  void maximumZoom(cdHandle source, cdUInt32* maximum, cdUInt32* maximumOptical);
  cdUInt32 zoomPosition(cdHandle source);
  void setZoomPosition(cdHandle source, cdUInt32 position);
  void focusLock(cdHandle source, cdUInt32 lock);
  // Waits for the streams stopped so far, apart from the calling thread's
  // own, and counts their frames. Call without the lock.
  void joinStoppedStreams() noexcept { stoppedStreams_.join(mutex()); }

  // The pictures of a card (CdCard.cpp): their enumeration and items, the
  // data of an opened picture and its transfer into a file, deletion.
  cdHandle enumerateImageItems(cdHandle volume);
  cdHandle nextImageItem(cdHandle enumeration);
  void itemInfo(Call& call, cdHandle item, void* info);
  void openImage(cdHandle item);
  void closeImage(cdHandle item);
  cdHandle imageData(cdHandle item, bool thumbnail);
  void writeImageData(Call& call, cdHandle data, const void* destination,
                      cdProgressCallbackFunction progress, cdContext context);
  void freeData(cdHandle data);
  void deleteImage(cdHandle volume, cdHandle item);

  // The file named by a destination record (kind 0 and the name), logged
  // as the call's argument.
  static const char* destinationFile(Call& call, const void* destination);
  // Writes data of the camera into the file in blocks, with the percentage
  // done after each block through `progress`, when one is given (logged as
  // "<what>Progress(percent)"). Raises the SDK's file errors, and its
  // disconnected error when the camera is unplugged half way.
  static void transferToFile(Call& call, const Camera& camera, const std::string& what,
                             const Bytes& data, const char* fileName,
                             cdProgressCallbackFunction progress, cdContext context);

private:
  enum class Listing { Devices, Properties, Volumes, Codes, Pictures };
  struct Enumeration {
    Listing listing = Listing::Devices;
    // Camera numbers, property codes, volume numbers or accepted codes.
    std::vector<std::uint32_t> items;
    std::size_t position = 0;
    std::shared_ptr<Camera> camera; // properties and volumes
    std::size_t width = 2;          // the bytes of a camera setting's value
    // Pictures: the files, parallel to `items`, and their volume.
    std::vector<std::shared_ptr<Entry>> pictures;
    std::size_t volume = 0;
  };
  struct Registration {
    cdEventCallbackFunction callback = nullptr;
    cdContext context = 0;
  };
  // Data of a release waiting for CDGetReleasedData: a picture or its
  // thumbnail, fetched once, oldest first.
  struct Released {
    std::shared_ptr<Entry> picture;
    bool thumbnail = false;
  };
  struct Source {
    std::shared_ptr<Camera> camera;
    std::map<cdHandle, Registration> registrations;
    bool releaseControl = false;
    cdReleaseEventCallbackFunction releaseCallback = nullptr;
    cdContext releaseContext = 0;
    cdUInt32 dataKind = cdReleasePictureToPC;
    std::deque<Released> released;
    std::unique_ptr<ViewfinderStream> viewfinder;
    bool focusLocked = false;
  };
  // A picture of a card enumeration; valid until its enumeration is
  // released or the picture is deleted.
  struct Item {
    std::shared_ptr<Camera> camera;
    std::shared_ptr<Entry> picture;
    std::size_t volume = 0;
    cdHandle enumeration = 0;
    bool open = false;
  };
  // The picture or thumbnail of an opened picture, until it is freed.
  struct ImageData {
    std::shared_ptr<Camera> camera;
    std::shared_ptr<Entry> picture;
    bool thumbnail = false;
  };
  struct VolumeObject {
    std::shared_ptr<Camera> camera;
    std::size_t index = 0;
  };

  void worldReplaced() override;
  cdHandle newHandle() { return nextHandle_++; }
  Enumeration& requireEnumeration(cdHandle handle, Listing listing);
  Source& requireSource(cdHandle handle);
  // A source whose camera is still attached.
  Source& attachedSource(cdHandle handle);
  VolumeObject& requireVolume(cdHandle handle);
  // A source under release control.
  Source& underReleaseControl(cdHandle handle);
  // ... whose camera reports the capability bit.
  Source& capableSource(cdHandle handle, cdUInt32 capability);
  // Stops the source's viewfinder, if it runs, and its release control.
  void leaveReleaseControl(Source& source);
  Item& requireItem(cdHandle handle);
  // A setting of the camera under release control; unknown ones give "not
  // supported".
  Property& setting(cdHandle source, std::uint32_t id);
  // The next item of a listing of accepted codes.
  std::uint32_t nextItem(cdHandle enumeration);
  std::vector<std::uint32_t> propertyCodes(const Camera& camera) const;
  Bytes propertyValue(const Camera& camera, cdUInt32 code) const;
  // A camera event for every handler registered on a source of the camera;
  // posted by the caller once the lock is released.
  std::vector<PendingCallback> cameraEvent(const Camera& camera, cdUInt32 eventWord,
                                           cdUInt32 data) const;
  void post(std::vector<PendingCallback> callbacks);

  bool started_ = false;
  // Device records name the world they were made in.
  std::uint32_t generation_ = 1;
  cdHandle nextHandle_ = 1;
  std::map<cdHandle, Enumeration> enumerations_;
  std::map<cdHandle, Source> sources_;
  std::map<cdHandle, VolumeObject> volumes_;
  std::map<cdHandle, Item> items_;
  std::map<cdHandle, ImageData> data_;
  StoppedStreams stoppedStreams_;
};

} // namespace vostrel::sim::cd
