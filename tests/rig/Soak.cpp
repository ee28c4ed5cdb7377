#include "rig/Soak.h"

#include "core/ECamException.h"
#include "core/Vostrel.h"
#include "platform/FileSystem.h"
#include "sim/world/Jpeg.h"
#include "sim/world/TestPattern.h"
#include "support/SimulatedEDSDK.h"

#include <nlohmann/json.hpp>

#include <memory>
#include <random>
#include <sstream>

namespace vostrel::test {

namespace {

constexpr std::uint32_t BodyIdBase = 8100;

// The calls of a shoot-and-fetch cycle that a failure may hit, with the
// results a camera gives when it fails them.
struct Injectable {
  const char* entryPoint;
  std::uint32_t result;
};
constexpr Injectable Injectables[] = {
    {"EdsSendCommand", 0x00000081},          {"EdsCreateFileStream", 0x00000023},
    {"EdsGetDirectoryItemInfo", 0x00000002}, {"EdsDownload", 0x00000081},
    {"EdsDownloadComplete", 0x00000081},
};
// EdsRelease is left out: a reference the SDK refuses to release stays
// held by the SDK, which no host can mend, and would show as growth.

std::string Scenario(int cameras) {
  nlohmann::json list = nlohmann::json::array();
  for (int i = 0; i < cameras; ++i) {
    list.push_back({{"model", "Soak " + std::to_string(i)},
                    {"bodyId", BodyIdBase + static_cast<std::uint32_t>(i)},
                    {"availableShots", 1000000}});
  }
  return nlohmann::json{{"eos", {{"cameras", list}}}}.dump();
}

class SoakCamera {
public:
  explicit SoakCamera(int number) : number_(number) {
    controller_.OnRemoteEvent = [this](RemoteEventCallbackType event,
                                       const AdditionNotifyRemoteEventType& data) {
      if (event == RemoteEventCallbackType::RemoteEventCallbackReleaseImageReady &&
          data.TypeOfPicture == TypeOfPictureType::TypeOfPicturePicture) {
        ++announced_;
      }
    };
  }

  TVostrel& Controller() { return controller_; }
  int Number() const { return number_; }

  void Connect() {
    controller_.Connect(CamModEOS, number_);
    controller_.RemoteStart(ReleaseModeType::ReleaseModeOnlyToPC,
                            ReleaseDataKindType::ReleaseDataKindTakeOnlyPicture, false, "");
    announced_ = 0;
  }

  void Disconnect() {
    try {
      controller_.Disconnect();
    } catch (const ECamException&) {
      // The controller forgets the camera all the same.
    }
  }

  int Announced() const { return announced_; }
  void Fetched() { --announced_; }

private:
  int number_;
  TVostrel controller_;
  int announced_ = 0;
};

// Fetches what is still queued until the controller says there is nothing.
void Drain(SoakCamera& camera, const std::string& target) {
  for (;;) {
    try {
      camera.Controller().RemoteGetPicture(target, PictureTypeFull);
      platform::removeFile(target);
    } catch (const ECamException&) {
      return;
    }
  }
}

std::uint32_t ReleaseCount(int camera) {
  const nlohmann::json world = nlohmann::json::parse(SimulatedEDSDK().describeWorld());
  return world.at("eos").at("cameras").at(camera).at("releaseCount").get<std::uint32_t>();
}

} // namespace

SoakReport RunSoak(const SoakOptions& options, const std::string& folder) {
  sim::SimControlClient& sim = SimulatedEDSDK();
  sim.clearFailures();
  sim.loadScenario(Scenario(options.Cameras));
  sim.setSynchronousCallbacks(true);
  std::mt19937 random(options.Seed);
  std::uniform_real_distribution<double> chance(0.0, 1.0);
  std::uniform_int_distribution<std::size_t> pickCall(0, std::size(Injectables) - 1);
  std::uniform_int_distribution<int> pickCamera(0, options.Cameras - 1);

  std::vector<std::unique_ptr<SoakCamera>> cameras;
  for (int i = 0; i < options.Cameras; ++i) {
    cameras.push_back(std::make_unique<SoakCamera>(i));
  }
  cameras.front()->Controller().OpenCameraEnumeration();
  for (auto& camera : cameras) {
    camera->Connect();
  }

  SoakReport report;
  std::int64_t heapAtStart = 0;
  std::int64_t referencesAtStart = 0;
  const std::int64_t settled = std::max<std::int64_t>(1, options.Cycles / 10);
  const std::string target = platform::joinPath(folder, "picture.jpg");
  for (std::int64_t cycle = 0; cycle < options.Cycles; ++cycle) {
    if (cycle == settled) {
      heapAtStart = static_cast<std::int64_t>(options.HeapBytes());
      referencesAtStart = static_cast<std::int64_t>(sim.liveReferences());
    }
    SoakCamera& camera = *cameras[static_cast<std::size_t>(cycle % options.Cameras)];
    if (chance(random) < options.ReconnectRate) {
      camera.Disconnect();
      camera.Connect();
      ++report.Reconnects;
    }
    if (chance(random) < options.FailureRate) {
      const Injectable& call = Injectables[pickCall(random)];
      sim.injectFailure(call.entryPoint, call.result, 0, 1);
      ++report.FailuresInjected;
    }
    try {
      const int before = camera.Announced();
      camera.Controller().RemoteTakePicture();
      if (camera.Announced() != before + 1) {
        report.Faults.push_back("cycle " + std::to_string(cycle) + ": a release announced nothing");
      }
      camera.Controller().RemoteGetPicture(target, PictureTypeFull);
      camera.Fetched();
      const std::vector<std::uint8_t> bytes = platform::readFile(target);
      const sim::ShotMark mark = sim::readShotMark(sim::decodeJpeg(bytes));
      const std::uint32_t bodyId = BodyIdBase + static_cast<std::uint32_t>(camera.Number());
      if (mark.bodyId != bodyId || sim::jpegComment(bytes) != sim::shotMarkComment(mark) ||
          mark.shot == 0 || mark.shot > ReleaseCount(camera.Number())) {
        report.Faults.push_back("cycle " + std::to_string(cycle) + ": picture of camera " +
                                std::to_string(camera.Number()) + " reads \"" +
                                sim::jpegComment(bytes) + "\"");
      }
      ++report.PicturesVerified;
      platform::removeFile(target);
    } catch (const ECamException& error) {
      ++report.FailuresSeen;
      if (error.message().empty()) {
        report.Faults.push_back("cycle " + std::to_string(cycle) + ": a failure without message");
      }
      if (platform::fileExists(target)) {
        report.Faults.push_back("cycle " + std::to_string(cycle) + ": a failed fetch left " +
                                target + " (" + error.message() + ")");
        platform::removeFile(target);
      }
      // A picture whose transfer failed may stay queued (the file could
      // not be created) or leave the queue (the transfer began): what is
      // still queued is fetched now, so nothing waits forever.
      sim.clearFailures();
      Drain(camera, target);
    } catch (const sim::JpegError& error) {
      report.Faults.push_back("cycle " + std::to_string(cycle) + ": " + error.what());
    }
    sim.clearFailures();
    report.Cycles = cycle + 1;
  }
  report.HeapGrowth = static_cast<std::int64_t>(options.HeapBytes()) - heapAtStart;
  report.ReferenceGrowth = static_cast<std::int64_t>(sim.liveReferences()) - referencesAtStart;
  for (auto& camera : cameras) {
    camera->Disconnect();
  }
  cameras.front()->Controller().CloseCameraEnumeration();
  return report;
}

std::string Describe(const SoakReport& report) {
  std::ostringstream text;
  text << report.Cycles << " cycles, " << report.FailuresInjected << " failures injected, "
       << report.FailuresSeen << " failures seen, " << report.PicturesVerified
       << " pictures verified, " << report.Reconnects << " reconnects, heap growth "
       << report.HeapGrowth << " bytes, reference growth " << report.ReferenceGrowth << ", "
       << report.Faults.size() << " faults";
  for (const std::string& fault : report.Faults) {
    text << "\n  " << fault;
  }
  return text.str();
}

} // namespace vostrel::test
