// Shooting parameters: the whole parameter record read or written through
// the controller (every property of the camera, each converted between its
// EDSDK code and its public value) against a single property read or written
// through the binding of EDSDK.DLL; and one field read through the control,
// which fetches the whole record for it, against the same single read.

#include "activex/VostrelActiveX.h"
#include "bench/BenchSupport.h"
#include "bench/SimulatedCamera.h"
#include "core/DeviceLists.h"
#include "core/Vostrel.h"
#include "eos/EDSDK.h"

#include <stdexcept>

namespace vostrel::bench {
namespace {

// The camera reference the controller enumerated; valid while connected.
EdsCameraRef EnumeratedCamera() {
  if (EOSDeviceList().empty()) {
    throw std::runtime_error("no EOS camera was enumerated");
  }
  return EOSDeviceList().front();
}

EdsUInt32 ReadAperture(EdsCameraRef camera) {
  EdsUInt32 value = 0;
  edsdk::EdsGetPropertyData.checked(camera, EdsPropAv, 0, EdsUInt32{sizeof value}, &value);
  return value;
}

// A camera in remote mode, as a host has it to read and write parameters.
template <typename Component>
struct RemoteCamera {
  SimulatedWorld world{OneCameraScenario(nlohmann::json::array())};
  Connected<Component> camera;
  RemoteCamera() { StartRemoteMode(camera.component); }
};

void RawPropertyRead(benchmark::State& state) {
  RemoteCamera<TVostrel> remote;
  const EdsCameraRef camera = EnumeratedCamera();
  const auto read = [camera] { benchmark::DoNotOptimize(ReadAperture(camera)); };
  for (auto _ : state) {
    read();
  }
  ReportSdkCalls(state, read);
}

void RawPropertyWrite(benchmark::State& state) {
  RemoteCamera<TVostrel> remote;
  const EdsCameraRef camera = EnumeratedCamera();
  const EdsUInt32 aperture = ReadAperture(camera);
  const auto write = [camera, &aperture] {
    edsdk::EdsSetPropertyData.checked(camera, EdsPropAv, 0, EdsUInt32{sizeof aperture}, &aperture);
  };
  for (auto _ : state) {
    write();
  }
  ReportSdkCalls(state, write);
}

void ControllerReadsRecord(benchmark::State& state) {
  RemoteCamera<TVostrel> remote;
  const auto read = [&remote] {
    RemoteParamsType params{};
    remote.camera.component.RemoteGetRemoteParams(params);
    benchmark::DoNotOptimize(params);
  };
  for (auto _ : state) {
    read();
  }
  ReportSdkCalls(state, read);
}

// Writes back what the camera holds, as a host does that saves and restores
// its settings: every field is sent, nothing is refused.
void ControllerWritesRecord(benchmark::State& state) {
  RemoteCamera<TVostrel> remote;
  RemoteParamsType params{};
  remote.camera.component.RemoteGetRemoteParams(params);
  const auto write = [&remote, &params] { remote.camera.component.RemoteSetRemoteParams(params); };
  for (auto _ : state) {
    write();
  }
  ReportSdkCalls(state, write);
}

void ControlReadsOneField(benchmark::State& state) {
  RemoteCamera<TVostrelActiveX> remote;
  const auto read = [&remote] {
    benchmark::DoNotOptimize(remote.camera.component.RemoteGetRemoteParams(RemoteParamAv));
  };
  for (auto _ : state) {
    read();
  }
  ReportSdkCalls(state, read);
}

[[maybe_unused]] const bool registered =
    RegisterPair("Controller reads all parameters", RawPropertyRead, ControllerReadsRecord) &&
    RegisterPair("Controller writes all parameters", RawPropertyWrite, ControllerWritesRecord) &&
    RegisterPair("Control reads one parameter", RawPropertyRead, ControlReadsOneField);

} // namespace
} // namespace vostrel::bench
