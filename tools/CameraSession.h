#pragma once
// One session with one camera, as a host application runs it: the SDKs are
// started and the cameras enumerated, the chosen camera is connected, remote
// mode is entered when the command needs it, and at the end everything is
// left again in reverse order: remote mode, the connection, the SDKs.

#include "activex/VostrelActiveX.h"
#include "tools/CameraChoice.h"

#include <string>

namespace vostrel::tools {

class CameraSession {
public:
  // Starts the SDKs and enumerates the cameras.
  explicit CameraSession(TVostrelActiveX& control);
  // A session of one camera among several that another session enumerated:
  // it connects and disconnects its camera but leaves the SDKs to the other.
  struct JoinEnumeration {};
  CameraSession(TVostrelActiveX& control, JoinEnumeration);
  // Ends what Close did not end. Errors are not reported then: the failure
  // that ended the command early is already on its way.
  ~CameraSession();
  CameraSession(const CameraSession&) = delete;
  CameraSession& operator=(const CameraSession&) = delete;

  void Connect(const CameraChoice& camera);
  void StartRemote(TxReleaseModeType mode, TxReleaseDataKindType kind, bool probe = false,
                   const std::string& cacheDirectory = {});
  void StartViewfinder();
  // Ends the viewfinder; remote mode goes on.
  void StopViewfinder();
  // Ends the viewfinder and remote mode; the camera stays connected.
  void EndRemote();
  // Ends remote mode and the connection; the SDKs stay started, for work
  // without a camera such as RAW development.
  void Disconnect();
  // Ends the viewfinder and remote mode, disconnects and stops the SDKs. Every step runs; the
  // first failure is raised afterwards.
  void Close();

private:
  // Runs the pending steps of the end of a session in reverse order of
  // their start, down to the given depth; every step runs, the first
  // failure is raised afterwards.
  void CloseDownTo(int depth);

  TVostrelActiveX& control_;
  bool enumerated_ = false;
  bool connected_ = false;
  bool remote_ = false;
  bool viewfinder_ = false;
};

} // namespace vostrel::tools
