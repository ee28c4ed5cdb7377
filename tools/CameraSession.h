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
  // Ends what Close did not end. Errors are not reported then: the failure
  // that ended the command early is already on its way.
  ~CameraSession();
  CameraSession(const CameraSession&) = delete;
  CameraSession& operator=(const CameraSession&) = delete;

  void Connect(const CameraChoice& camera);
  void StartRemote(TxReleaseModeType mode, TxReleaseDataKindType kind, bool probe = false,
                   const std::string& cacheDirectory = {});
  void StartViewfinder();
  // Ends the viewfinder and remote mode, disconnects and stops the SDKs. Every step runs; the
  // first failure is raised afterwards.
  void Close();

private:
  TVostrelActiveX& control_;
  bool enumerated_ = false;
  bool connected_ = false;
  bool remote_ = false;
  bool viewfinder_ = false;
};

} // namespace vostrel::tools
