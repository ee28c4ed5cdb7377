#pragma once
// The simulated EDSDK.DLL: the state behind its entry points and one
// function per entry point. Every function runs with the lock taken by a
// Call and raises SdkFailure (fail) for an SDK error.

#include "sim/edsdk/EdsCall.h"
#include "sim/edsdk/EdsFamily.h"
#include "sim/edsdk/EdsObjects.h"
#include "sim/world/HandleTable.h"
#include "sim/world/Simulator.h"

#include <map>
#include <optional>

namespace vostrel::sim::eds {

// A property value as the SDK reports it: its data type, its bytes and the
// size the SDK gives for it.
struct PropertyValue {
  EdsUInt32 dataType = 0;
  Bytes bytes;
  std::size_t size = 0;
};

class EdsSimulator final : public Simulator {
public:
  static EdsSimulator& instance();

  EdsSimulator();

  // Control interface.
  void raiseEvent(std::int32_t camera, std::int32_t kind, std::uint32_t code,
                  std::uint32_t argument, std::uint32_t parameter) override;
  void detachCamera(std::int32_t camera) override;
  std::size_t liveReferences() override;

  // For Call.
  bool started() const { return initialized_; }
  // A reference as the call log shows it ("camera#3").
  std::string describe(EdsBaseRef reference) const;

  // SDK lifetime and references (EdsSimulator.cpp).
  void initializeSdk();
  void terminateSdk();
  void retain(EdsBaseRef reference);
  void release(EdsBaseRef reference);
  EdsUInt32 childCount(EdsBaseRef parent);
  EdsBaseRef childAtIndex(EdsBaseRef parent, EdsInt32 index);
  EdsBaseRef parentOf(EdsBaseRef reference);
  void setProgressCallback(EdsBaseRef reference, EdsProgressCallback callback, EdsUInt32 option,
                           void* context);

  // Cameras, sessions, commands, properties and events (EdsCameraCalls.cpp).
  EdsCameraListRef cameraList();
  DeviceInfoType deviceInfo(EdsCameraRef camera);
  void openSession(EdsCameraRef camera);
  void closeSession(EdsCameraRef camera);
  void sendCommand(Call& call, EdsCameraRef camera, EdsUInt32 command, EdsInt32 parameter);
  void propertySize(EdsBaseRef reference, EdsUInt32 id, EdsInt32 parameter, EdsUInt32& dataType,
                    EdsUInt32& size);
  void getProperty(EdsBaseRef reference, EdsUInt32 id, EdsInt32 parameter, EdsUInt32 size,
                   void* data);
  void setProperty(Call& call, EdsBaseRef reference, EdsUInt32 id, EdsInt32 parameter,
                   EdsUInt32 size, const void* data);
  PropertyDescType propertyDesc(EdsBaseRef reference, EdsUInt32 id);
  void setPropertyHandler(EdsCameraRef camera, EdsUInt32 event, EdsPropertyEventHandler handler,
                          void* context);
  void setObjectHandler(EdsCameraRef camera, EdsUInt32 event, EdsObjectEventHandler handler,
                        void* context);
  void setStateHandler(EdsCameraRef camera, EdsUInt32 event, EdsStateEventHandler handler,
                       void* context);

  // Volumes and directory items (EdsCardCalls.cpp).
  VolumeInfoType volumeInfo(EdsVolumeRef volume);
  void formatVolume(EdsVolumeRef volume);
  DirectoryItemInfoType itemInfo(EdsDirectoryItemRef item);
  void deleteItem(EdsDirectoryItemRef item);
  void download(Call& call, EdsDirectoryItemRef item, EdsUInt32 size, EdsStreamRef stream);
  void downloadThumbnail(EdsDirectoryItemRef item, EdsStreamRef stream);
  void downloadComplete(EdsDirectoryItemRef item);

  // Streams (EdsStreamCalls.cpp).
  EdsStreamRef createFileStream(const char* fileName, EdsUInt32 disposition, EdsUInt32 access);
  EdsStreamRef createMemoryStream(EdsUInt32 size);
  EdsUInt32 read(EdsStreamRef stream, EdsUInt32 size, void* buffer);
  EdsUInt32 write(EdsStreamRef stream, EdsUInt32 size, const void* buffer);
  void seek(EdsStreamRef stream, EdsInt32 offset, EdsUInt32 origin);
  EdsUInt32 position(EdsStreamRef stream);
  EdsUInt32 length(EdsStreamRef stream);
  void copyData(EdsStreamRef from, EdsUInt32 size, EdsStreamRef to);
  void* pointer(EdsStreamRef stream);

  // RAW pictures (EdsImageCalls.cpp).
  EdsImageRef createImage(EdsStreamRef stream);
  ImageInfoType imageInfo(EdsImageRef image);
  void saveImage(EdsImageRef image, EdsUInt32 targetType, const SaveImageSettingType& setting,
                 EdsStreamRef stream);

private:
  template <typename Fn>
  struct Registration {
    EdsUInt32 event = 0;
    Fn handler = nullptr;
    void* context = nullptr;
    bool wants(EdsUInt32 raised, EdsUInt32 all) const {
      return handler != nullptr && (event == all || event == raised);
    }
  };
  struct Handlers {
    Registration<EdsPropertyEventHandler> property;
    Registration<EdsObjectEventHandler> object;
    Registration<EdsStateEventHandler> state;
  };

  void worldReplaced() override;
  // A property of a camera (in session) or of a RAW image.
  PropertyValue readProperty(EdsBaseRef reference, EdsUInt32 id) const;

  // The object of a live reference of kind T; EdsErrInvalidHandle for a
  // reference that is not live, EdsErrInvalidParameter for another kind.
  template <typename T>
  std::shared_ptr<T> require(EdsBaseRef reference) const;
  // The camera of a camera reference, attached (and with an open session).
  std::shared_ptr<Camera> connectedCamera(EdsCameraRef camera) const;
  std::shared_ptr<Camera> sessionCamera(EdsCameraRef camera) const;
  // The entry of an item reference that is still on the camera, its camera
  // in session.
  std::shared_ptr<ItemObject> liveItem(EdsDirectoryItemRef item) const;
  EdsBaseRef addItem(const std::shared_ptr<Camera>& camera, std::size_t volume,
                     const std::shared_ptr<Entry>& entry);

  void releaseShutter(Call& call, const std::shared_ptr<Camera>& camera);
  void writeCameraProperty(Call& call, Camera& camera, EdsUInt32 id, Bytes value);
  void writeImageProperty(ImageObject& image, EdsUInt32 id, const Bytes& value);

  // Callbacks to the handlers registered for a camera; none when no handler
  // wants the event.
  std::optional<PendingCallback> propertyEvent(const Camera& camera, EdsUInt32 event, EdsUInt32 id,
                                               EdsUInt32 parameter);
  std::optional<PendingCallback> objectEvent(const std::shared_ptr<Camera>& camera, EdsUInt32 event,
                                             std::size_t volume,
                                             const std::shared_ptr<Entry>& entry);
  std::optional<PendingCallback> stateEvent(const Camera& camera, EdsUInt32 event,
                                            EdsUInt32 parameter);
  void deliverLater(std::optional<PendingCallback> callback);

  bool initialized_ = false;
  HandleTable<EdsObject> handles_;
  std::map<const Camera*, Handlers> handlers_;
};

} // namespace vostrel::sim::eds
