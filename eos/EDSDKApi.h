#pragma once
// TEDSDK: the backend that serves EOS cameras through EDSDK.DLL.
//
// The controller creates one instance, gives it its InstanceIndex and calls
// the operations named after its own public methods. Every SDK failure is
// raised as ECamException "<function> errorcode 0x<hex>, <text>".

#include "core/CamDefines.h"
#include "core/CamEvents.h"

#include <atomic>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

struct DirectoryItemInfoType;

namespace vostrel {

class TEDSDK {
public:
  TEDSDK() = default;
  // Takes the event handlers back from the SDK; the session stays open.
  ~TEDSDK();
  TEDSDK(const TEDSDK&) = delete;
  TEDSDK& operator=(const TEDSDK&) = delete;

  // Called once by the controller right after creation.
  void SetInstanceIndex(std::int32_t instanceIndex);
  // The context of every handler registration: the address of the
  // controller's key cell, which outlives the backend and the controller.
  void* HandlerContext() const;
  // Passes the percentage of a running parameter probe to the controller.
  void ReportProbeProgress(std::int32_t percent);

  // Connection and the camera as a whole.
  void StartSDK();
  void OpenCameraEnumeration(std::vector<std::string>& nameList);
  void CloseCameraEnumeration();
  void Connect(EOSStateEventHandlerFn handler, std::int32_t cameraNumber,
               std::int32_t instanceIndex, ConnectInfoType& info);
  void Disconnect();
  void SetTimeInCamera(TDateTime dateTime);
  void SetOwnerName(const std::string& name);
  std::uint32_t GetBodyID();
  void FormatCameraCard();
  bool RemoteSupported();
  void KeepCameraAwake();

  // Remote shooting.
  void RemoteStart(ReleaseModeType mode, ReleaseDataKindType kind, bool probe,
                   const std::string& cacheDirectory, ReleaseEventHandlerFn handler,
                   std::int32_t instanceIndex, RemoteStartInfoType& info);
  void RemoteEnd();
  std::int32_t RemoteGetNumberOfAvailableShots();
  void RemoteTakePicture(std::int32_t instanceIndex);
  void RemoteGetPicture(const std::string& fileName, std::int32_t pictureType,
                        std::int32_t instanceIndex);
  void RemoteGetRemoteParams(RemoteParamsType& params);
  void RemoteSetRemoteParams(RemoteParamsType params);
  void RemoteAFLock(bool lock);

  // Card collection.
  void OpenCameraCollection(const std::string& temporaryDirectory, bool thumbnails,
                            ImageListType& list);
  void CloseCameraCollection(ImageListType& list);
  void GetPicture(std::int32_t pictureNumber, const std::string& fileName,
                  std::int32_t instanceIndex);
  void DeletePicture(ImageListType& list, std::int32_t pictureNumber);

  // RAW development.
  void OpenRAWObject(const std::string& fileName, RAWSupportedType& supported);
  void SetRAWDevelopmentParameters(RAWDevelopParamsType params);
  void GetRAWDevelopmentParameters(RAWDevelopParamsType& params);
  void DevelopRAWPicture(const std::string& outputFile, std::int32_t fileFormat,
                         std::int32_t bitsPerPixel, const std::string& iccProfileFile,
                         std::int32_t jpegQuality);
  void CloseRAWObject();

  // Backend side of the controller's EOS handlers. They may run on the SDK's
  // own thread and raise nothing.

  // Appends a directory item that the camera announced after a release.
  void QueueReleasedItem(void* item) noexcept;
  // Releases an object reference handed to a handler that nobody keeps.
  static void ReleaseEventObject(void* object) noexcept;
  // 0 none, 1 remote picture transfer running, 2 card picture transfer running.
  std::uint8_t CurrentProgressMode() const noexcept { return ProgressMode.load(); }

private:
  // Connect's registration of the controller's three camera handlers.
  void RegisterEventHandlers();
  // Connect's reading of model name, owner name and battery state.
  void ReadConnectInfo();
  // The camera's first volume (its card), which the caller releases; raises
  // "<operation> : No volumes found" when the camera has none.
  void* FirstVolume(const std::string& operation);

  // RemoteGetPicture's steps: the oldest released item (it stays queued),
  // the transfer of one picture type into the stream, and the end of a
  // full-picture transfer, which completes and releases the item and takes
  // it out of the queue.
  void* OldestReleasedItem();
  void TransferReleasedItem(void* item, void* stream, std::int32_t pictureType);
  void ConsumeReleasedItem(void* item);
  // Empties DownloadQueue and gives its references back, results unchecked.
  void ReleaseQueuedItems() noexcept;

  // The card collection: the depth-first walk of a volume, which appends
  // every file to the list and to CollectionItems, and the release of the
  // volume and of the files' references. The walk reads each item's
  // information once and hands a file's to AppendPicture.
  void WalkChildren(void* parent, bool thumbnails, ImageListType& list);
  void AppendPicture(void* item, const DirectoryItemInfoType& info, bool thumbnails,
                     ImageListType& list);
  bool CollectionOpen() const;
  void ReleaseCollection();

  // RAW development: the refusal of an operation while no RAW object is
  // open, and the release of RAWImage and RAWStream.
  bool RAWObjectOpen() const;
  void RequireRAWObject(const std::string& operation) const;
  void ReleaseRAWObject();

  // Raises "<what><name> too long" for a file name longer than the SDK takes.
  static void CheckNameLength(const std::string& what, const std::string& name);

  // The owning controller's key in the instance registry.
  std::int32_t InstanceIndex = 0;
  ConnectInfoType ConnectInfo{};
  void* Camera = nullptr;
  void* Volume = nullptr;
  std::deque<void*> DownloadQueue;
  std::vector<void*> CollectionItems;
  std::atomic<std::uint8_t> ProgressMode{0};
  void* RAWStream = nullptr;
  void* RAWImage = nullptr;

  // Guards DownloadQueue, which the object handler fills from the SDK's thread.
  std::mutex DownloadQueueLock;
};

} // namespace vostrel
