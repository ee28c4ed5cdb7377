#pragma once
// The command-line host's side of the control: it owns one control, draws
// the control's progress events as a progress bar, counts the pictures and
// viewfinder frames the camera announces (from the SDK's thread) and waits
// for them with a bounded wait.

#include "activex/VostrelActiveX.h"
#include "platform/Clock.h"
#include "tools/ProgressBar.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

namespace vostrel::tools {

struct HostOptions {
  bool ShowProgress = true;
  // Camera events (battery, dial, card door, ...) are shown on stderr.
  bool ShowCameraEvents = false;
  // How long to wait for a picture or a frame the camera should announce.
  platform::Milliseconds Timeout{10000};
};

class ToolHost {
public:
  // The control's progress and the camera events shown go to `progress`
  // when one is given (one line of a rig's board), else to the host's own
  // bar on stderr.
  explicit ToolHost(const HostOptions& options, ProgressSink* progress = nullptr);
  ToolHost(const ToolHost&) = delete;
  ToolHost& operator=(const ToolHost&) = delete;

  TVostrelActiveX& Control() { return control_; }
  const HostOptions& Options() const { return options_; }
  ProgressBar& Progress() { return progress_; }

  // Pictures announced for transfer since the host was created: a release
  // reports how many it produced, an EOS camera announces each picture.
  std::int64_t AnnouncedPictures() const { return announcedPictures_.load(); }
  // Waits until at least count pictures were announced; raises ToolError
  // when the time runs out first.
  void WaitForPictures(std::int64_t count);

  // Copies the next count viewfinder frames to the folder as frame-001.jpg,
  // frame-002.jpg, ... and waits for them (ToolError when they do not come).
  // The viewfinder must be running.
  void CaptureFrames(const std::string& folder, std::int64_t count);
  // Copies every viewfinder frame that arrives within the duration to the
  // folder in the same way; returns how many came.
  std::int64_t CaptureFramesFor(const std::string& folder, platform::Milliseconds duration);

private:
  void OnRemoteEvent(TxRemoteEventCallbackType event, TxNotifyRemoteEventValidType valid,
                     std::int32_t numOfEvents, TxypeOfPictureType typeOfPicture);
  void OnViewfinderFrame(const std::string& fileName);
  void BeginCapture(const std::string& folder, std::int64_t count);
  // Polls the condition through the clock seam until it holds or the
  // timeout has passed; false on timeout.
  bool WaitUntil(const std::function<bool()>& condition) const;

  const HostOptions options_;
  ProgressBar progress_;
  ProgressSink& sink_;
  std::atomic<std::int64_t> announcedPictures_{0};

  std::mutex framesLock_;
  std::string frameFolder_;
  std::int64_t framesWanted_ = 0;
  std::int64_t framesCaptured_ = 0;
  std::string frameError_;

  // Last, so that it is destroyed first: its events reach the members above.
  TVostrelActiveX control_;
};

} // namespace vostrel::tools
