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

void CameraSession::Close() {
  std::exception_ptr firstError;
  const auto step = [&](bool& pending, auto&& action) {
    if (!pending) {
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
  step(viewfinder_, [&] { control_.RemoteStopViewfinder(); });
  step(remote_, [&] { control_.RemoteEnd(); });
  step(connected_, [&] { control_.Disconnect(); });
  step(enumerated_, [&] { control_.CloseCameraEnumeration(); });
  if (firstError) {
    std::rethrow_exception(firstError);
  }
}

} // namespace vostrel::tools
