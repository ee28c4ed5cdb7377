#include "tools/ToolHost.h"

#include "platform/FileSystem.h"
#include "tools/ToolError.h"

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <limits>

namespace vostrel::tools {

namespace {

// The pause between two looks at the state the camera's thread changes.
constexpr platform::Milliseconds PollInterval{10};

std::string FrameFileName(std::int64_t number) {
  char name[32];
  std::snprintf(name, sizeof name, "frame-%03lld.jpg", static_cast<long long>(number));
  return name;
}

} // namespace

ToolHost::ToolHost(const HostOptions& options, ProgressSink* progress)
    : options_(options), progress_(std::cerr, options.ShowProgress, StandardErrorIsTerminal()),
      sink_(progress != nullptr ? *progress : progress_) {
  const auto report = [this](std::int32_t percent) { sink_.Report(percent); };
  // An EOS camera reports the transfer of a released picture as take-picture
  // progress, the PowerShot cameras as get-picture progress.
  control_.OnRemoteTakePictureEvent = report;
  control_.OnRemoteGetPictureEvent = report;
  control_.OnGetPictureEvent = report;
  control_.OnRemoteProbeParamEvent = report;
  control_.OnRemoteEvent = [this](TxRemoteEventCallbackType event,
                                  TxNotifyRemoteEventValidType valid, std::int32_t numOfEvents,
                                  TxypeOfPictureType typeOfPicture) {
    OnRemoteEvent(event, valid, numOfEvents, typeOfPicture);
  };
  control_.OnViewfinderEvent = [this](const std::string& fileName) { OnViewfinderFrame(fileName); };
  if (options.ShowCameraEvents) {
    control_.OnEvent = [this](TxEventSeverityType severity, TxEventEnumType event) {
      sink_.Note("camera event: severity " + std::to_string(severity) + ", event " +
                 std::to_string(event));
    };
  }
}

void ToolHost::OnRemoteEvent(TxRemoteEventCallbackType event, TxNotifyRemoteEventValidType valid,
                             std::int32_t numOfEvents, TxypeOfPictureType typeOfPicture) {
  if (event == RemoteEventCallbackReleaseComplete && valid == NotifyRemoteEventValid1 &&
      numOfEvents > 0) {
    announcedPictures_ += numOfEvents;
  } else if (event == RemoteEventCallbackReleaseImageReady && valid == NotifyRemoteEventValid2 &&
             typeOfPicture == TypeOfPicturePicture) {
    ++announcedPictures_;
  }
}

void ToolHost::OnViewfinderFrame(const std::string& fileName) {
  const std::lock_guard guard(framesLock_);
  if (framesCaptured_ >= framesWanted_) {
    return;
  }
  const std::string target = platform::joinPath(frameFolder_, FrameFileName(framesCaptured_ + 1));
  // A frame of an earlier run is replaced. The target is removed first:
  // the Windows runtime's copy refuses an existing target even when asked
  // to overwrite it.
  std::error_code error;
  std::filesystem::remove(target, error);
  std::filesystem::copy_file(fileName, target, error);
  if (error) {
    frameError_ = "Cannot copy the viewfinder frame to " + target + ": " + error.message();
    framesWanted_ = 0;
    return;
  }
  ++framesCaptured_;
}

bool ToolHost::WaitUntil(const std::function<bool()>& condition) const {
  const platform::Milliseconds deadline = platform::clock().now() + options_.Timeout;
  while (!condition()) {
    if (platform::clock().now() >= deadline) {
      return false;
    }
    platform::sleepFor(PollInterval);
  }
  return true;
}

void ToolHost::WaitForPictures(std::int64_t count) {
  if (!WaitUntil([&] { return announcedPictures_.load() >= count; })) {
    throw ToolError("The camera announced no picture within " +
                    std::to_string(options_.Timeout.count()) + " ms");
  }
}

void ToolHost::BeginCapture(const std::string& folder, std::int64_t count) {
  const std::lock_guard guard(framesLock_);
  frameFolder_ = folder;
  framesWanted_ = count;
  framesCaptured_ = 0;
  frameError_.clear();
}

std::int64_t ToolHost::CaptureFramesFor(const std::string& folder,
                                        platform::Milliseconds duration) {
  BeginCapture(folder, std::numeric_limits<std::int64_t>::max());
  const platform::Milliseconds end = platform::clock().now() + duration;
  while (platform::clock().now() < end) {
    {
      const std::lock_guard guard(framesLock_);
      if (!frameError_.empty()) {
        break;
      }
    }
    platform::sleepFor(PollInterval);
  }
  const std::lock_guard guard(framesLock_);
  framesWanted_ = 0;
  if (!frameError_.empty()) {
    throw ToolError(frameError_);
  }
  return framesCaptured_;
}

void ToolHost::CaptureFrames(const std::string& folder, std::int64_t count) {
  BeginCapture(folder, count);
  const bool complete = WaitUntil([&] {
    const std::lock_guard guard(framesLock_);
    return framesCaptured_ >= count || !frameError_.empty();
  });
  const std::lock_guard guard(framesLock_);
  framesWanted_ = 0;
  if (!frameError_.empty()) {
    throw ToolError(frameError_);
  }
  if (!complete) {
    throw ToolError("The camera sent " + std::to_string(framesCaptured_) + " of " +
                    std::to_string(count) + " viewfinder frames within " +
                    std::to_string(options_.Timeout.count()) + " ms");
  }
}

} // namespace vostrel::tools
