#include "tools/CameraSession.h"

#include <exception>

namespace vostrel::tools {

CameraSession::CameraSession(TVostrelActiveX& control) : control_(control) {
  // The SDKs count as started as soon as the enumeration begins, even when
  // it fails half way, so they are stopped again either way.
  enumerated_ = true;
  try {
    control_.OpenCameraEnumeration();
  } catch (...) {
    try {
      Close();
    } catch (...) {
      // The failed enumeration is the failure to report.
    }
    throw;
  }
}

CameraSession::CameraSession(TVostrelActiveX& control, JoinEnumeration) : control_(control) {}

CameraSession::~CameraSession() {
  try {
    Close();
  } catch (...) {
  }
}

void CameraSession::Connect(const CameraChoice& camera) {
  control_.Connect(camera.Family, camera.Number);
  connected_ = true;
}

void CameraSession::StartRemote(TxReleaseModeType mode, TxReleaseDataKindType kind, bool probe,
                                const std::string& cacheDirectory) {
  control_.RemoteStart(mode, kind, probe, cacheDirectory);
  remote_ = true;
}

void CameraSession::StartViewfinder() {
  control_.RemoteStartViewfinder();
  viewfinder_ = true;
}

void CameraSession::StopViewfinder() {
  CloseDownTo(3);
}

void CameraSession::EndRemote() {
  CloseDownTo(2);
}

void CameraSession::Disconnect() {
  CloseDownTo(1);
}

void CameraSession::Close() {
  CloseDownTo(0);
}

void CameraSession::CloseDownTo(int depth) {
  std::exception_ptr firstError;
  const auto step = [&](int level, bool& pending, auto&& action) {
    if (level <= depth || !pending) {
      return;
    }
    pending = false;
    try {
      action();
    } catch (...) {
      if (!firstError) {
        firstError = std::current_exception();
      }
    }
  };
  step(4, viewfinder_, [&] { control_.RemoteStopViewfinder(); });
  step(3, remote_, [&] { control_.RemoteEnd(); });
  step(2, connected_, [&] { control_.Disconnect(); });
  step(1, enumerated_, [&] { control_.CloseCameraEnumeration(); });
  if (firstError) {
    std::rethrow_exception(firstError);
  }
}

} // namespace vostrel::tools
