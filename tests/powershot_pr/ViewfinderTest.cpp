// The live functions of a PR camera through the controller: the viewfinder
// with its frames from the simulator's stream thread, its output and the
// automatic exposure, focus and white balance, the zoom and the focus lock,
// with a failure of each SDK call they make.

#include "SimulatedPR.h"

#include "support/FrameLog.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <regex>
#include <string>
#include <thread>
#include <vector>

namespace vostrel::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr std::uint32_t Busy = 0x00FF2019;

std::string Failure(const std::string& function) {
  return function + " errorcode 0x00FF2019, Device busy";
}

// Small frames at a high rate keep the runs short.
const nlohmann::json FastViewfinder = {{"width", 64}, {"height", 48}, {"framesPerSecond", 500}};

class PRViewfinder : public SimulatedPR {
protected:
  void UseCamera(nlohmann::json properties = nlohmann::json::object(),
                 std::optional<std::vector<std::uint16_t>> operations = std::nullopt) {
    UseScenario({PRCameraSpec{.operations = operations,
                              .properties = std::move(properties),
                              .viewfinder = FastViewfinder}});
    ConnectFirstCamera();
    controller->RemoteStart(ReleaseModeType::ReleaseModeOnlyToPC,
                            ReleaseDataKindType::ReleaseDataKindTakeOnlyPicture, false, "");
    Sim().clearCallLog();
  }

  void StartViewfinder() {
    controller->OnViewfinderEvent = [this](std::istream& frame) { frames.Add(frame); };
    controller->RemoteStartViewfinder();
  }

  // The property writes, as "D02A=0100".
  static std::vector<std::string> Writes() {
    static const std::regex write(
        R"(^PR_SetDevicePropValue\(camera#, 0x0000([0-9A-F]{4}), [0-9]+, ([0-9A-F]*)\))");
    std::vector<std::string> found;
    for (const std::string& call : Calls()) {
      std::smatch match;
      if (std::regex_search(call, match, write)) {
        found.push_back(match.format("$1=$2"));
      }
    }
    return found;
  }

  ZoomPosType Zoom() {
    ZoomPosType zoom{};
    controller->RemoteGetZoomPos(zoom);
    return zoom;
  }

  FrameLog frames;
};

// ---------------------------------------------------------------------------
// The viewfinder

TEST_F(PRViewfinder, FramesAreDistinctJPEGPicturesFromTheStartToTheStop) {
  UseCamera();
  StartViewfinder();
  EXPECT_TRUE(controller->IsViewfinderOn());
  ASSERT_TRUE(frames.WaitFor(3));
  controller->RemoteStopViewfinder();
  EXPECT_FALSE(controller->IsViewfinderOn());

  ExpectDistinctJpegFrames(frames.Frames());
  EXPECT_THAT(Calls(), ElementsAre("PR_RC_StartViewFinder(camera#, " +
                                       std::to_string(controller->GetInstanceIndex()) +
                                       ", handler) = 0x00000000",
                                   "PR_RC_TermViewFinder(camera#) = 0x00000000"));
  // No frame follows the stop.
  const std::size_t count = frames.Count();
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  EXPECT_EQ(frames.Count(), count);
}

TEST_F(PRViewfinder, AStopFailureIsReportedUnderItsOwnSpellingAndLeavesTheFlagClear) {
  UseCamera();
  StartViewfinder();
  FailCall("PR_RC_TermViewFinder", Busy);
  EXPECT_EQ(MessageOf([&] { controller->RemoteStopViewfinder(); }),
            Failure("PR_RC_TermViewfinder"));
  EXPECT_FALSE(controller->IsViewfinderOn());
  // The camera's viewfinder, still running, is stopped before the next start
  // (its frames still arrive, so the handler stays as it is).
  Sim().clearCallLog();
  EXPECT_EQ(MessageOf([&] { controller->RemoteStartViewfinder(); }), "");
  EXPECT_THAT(CalledFunctions(), ElementsAre("PR_RC_TermViewFinder", "PR_RC_StartViewFinder"));
  // Leaving release control ends the camera's stream as well.
  controller->RemoteEnd();
  const std::size_t count = frames.Count();
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  EXPECT_EQ(frames.Count(), count);
}

TEST_F(PRViewfinder, AFailedStartLeavesTheViewfinderOffAndSendsNoFrame) {
  UseCamera();
  FailCall("PR_RC_StartViewFinder", Busy);
  EXPECT_EQ(MessageOf([&] { StartViewfinder(); }), Failure("PR_RC_StartViewFinder"));
  EXPECT_FALSE(controller->IsViewfinderOn());
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  EXPECT_EQ(frames.Count(), 0u);
  // A camera without the viewfinder refuses it the same way.
  UseCamera({}, std::vector<std::uint16_t>{prOpInitiateReleaseControl, prOpFocusLock});
  EXPECT_EQ(MessageOf([&] { StartViewfinder(); }),
            "PR_RC_StartViewFinder errorcode 0x00000007, Not supported");
}

TEST_F(PRViewfinder, OutputAndAutomaticFunctionsSendTheirCodesInOrder) {
  UseCamera();
  StartViewfinder();
  controller->RemoteSetViewfinderOutput(RemoteViewFinderOutputLCD);
  controller->RemoteSetViewfinderOutput(RemoteViewFinderOutputVideo);
  controller->RemoteSetViewfinderOutput(RemoteViewFinderOutputOff);
  controller->RemoteSetViewfinderOutput(7); // no output: nothing is sent
  FailCall("PR_SetDevicePropValue", Busy);  // ignored
  EXPECT_EQ(MessageOf([&] { controller->RemoteSetViewfinderOutput(RemoteViewFinderOutputLCD); }),
            "");
  EXPECT_THAT(Writes(), ElementsAre("D036=01", "D036=02", "D036=03", "D036=01"));
  EXPECT_EQ(WorldCamera(0)["properties"]["ViewfinderOutput"]["value"], 3);

  Sim().clearCallLog();
  controller->RemoteActivateViewfinderAuto();
  EXPECT_THAT(Calls(), ElementsAre("PR_RC_DoAeAfAwb(camera#, 1) = 0x00000000",
                                   "PR_RC_DoAeAfAwb(camera#, 2) = 0x00000000",
                                   "PR_RC_DoAeAfAwb(camera#, 4) = 0x00000000"));
  controller->RemoteStopViewfinder();
}

// ---------------------------------------------------------------------------
// The zoom

TEST_F(PRViewfinder, ZoomPositionsFollowTheDigitalZoomStart) {
  UseCamera(
      {{"Zoom", {{"value", 5}, {"accepted", {{"min", 0}, {"max", 20}}}}}, {"DigitalZoomStart", 8}});
  ZoomPosType zoom = Zoom();
  EXPECT_EQ(zoom.CurrentZoomPos, 5);
  EXPECT_EQ(zoom.MaxOpticalZoomPos, 7);
  EXPECT_EQ(zoom.MaxZoomPos, 20);

  UseCamera({{"Zoom", {{"value", 3}, {"accepted", {{"min", 0}, {"max", 12}, {"step", 3}}}}},
             {"DigitalZoomStart", 255}});
  zoom = Zoom();
  EXPECT_EQ(zoom.CurrentZoomPos, 3);
  EXPECT_EQ(zoom.MaxOpticalZoomPos, 12);
  EXPECT_EQ(zoom.MaxZoomPos, 12);

  // A digital zoom from the first position on leaves no optical zoom, not -1.
  UseCamera({{"DigitalZoomStart", 0}});
  EXPECT_EQ(Zoom().MaxOpticalZoomPos, 0);
}

TEST_F(PRViewfinder, ZoomWritesTheLow16BitsOfThePosition) {
  UseCamera();
  controller->RemoteSetZoomPos(65537);
  controller->RemoteSetZoomPos(20);
  EXPECT_THAT(Writes(), ElementsAre("D02A=0100", "D02A=1400"));
  EXPECT_EQ(Zoom().CurrentZoomPos, 20);
  // A position beyond the camera's range is refused by the camera.
  EXPECT_EQ(MessageOf([&] { controller->RemoteSetZoomPos(21); }),
            "PR_SetDevicePropValue errorcode 0x0000201C, Invalid device property value");
}

TEST_F(PRViewfinder, ACameraWithoutZoomIgnoresZoomRequests) {
  UseCamera({{"Zoom", nullptr}});
  ZoomPosType zoom{1, 2, 3};
  controller->RemoteGetZoomPos(zoom);
  controller->RemoteSetZoomPos(4);
  EXPECT_EQ(zoom.CurrentZoomPos, 1);
  EXPECT_EQ(zoom.MaxOpticalZoomPos, 2);
  EXPECT_EQ(zoom.MaxZoomPos, 3);
  EXPECT_THAT(Calls(), IsEmpty());
}

// ---------------------------------------------------------------------------
// The focus lock

TEST_F(PRViewfinder, AFLockLocksAndUnlocksTheFocus) {
  UseCamera();
  controller->RemoteAFLock(true);
  controller->RemoteAFLock(false);
  EXPECT_THAT(Calls(), ElementsAre("PR_RC_FocusLock(camera#) = 0x00000000",
                                   "PR_RC_FocusUnlock(camera#) = 0x00000000"));
  // The capability is not consulted: the camera answers for itself.
  UseCamera({}, std::vector<std::uint16_t>{prOpInitiateReleaseControl, prOpInitiateViewfinder});
  EXPECT_EQ(MessageOf([&] { controller->RemoteAFLock(true); }),
            "PR_RC_FocusLock errorcode 0x00000007, Not supported");
}

// ---------------------------------------------------------------------------
// A failure of each SDK call: its message, and nothing left running.

struct FailingCall {
  const char* Name;
  const char* EntryPoint;
  std::uint32_t Passing; // successful calls of the entry point before it
  std::function<void(TVostrel&)> Operation;
  const char* Message;
  bool ViewfinderOnAfter;
  std::size_t Calls; // SDK calls the operation made, the failing one included
};

TEST_F(PRViewfinder, EachFailingCallIsReportedWithItsName) {
  const std::vector<FailingCall> failing = {
      {"start", "PR_RC_StartViewFinder", 0, [](TVostrel& c) { c.RemoteStartViewfinder(); },
       "PR_RC_StartViewFinder", false, 1},
      {"stop", "PR_RC_TermViewFinder", 0, [](TVostrel& c) { c.RemoteStopViewfinder(); },
       "PR_RC_TermViewfinder", false, 1},
      {"auto exposure", "PR_RC_DoAeAfAwb", 0, [](TVostrel& c) { c.RemoteActivateViewfinderAuto(); },
       "PR_RC_DoAeAfAwb", true, 1},
      {"auto focus", "PR_RC_DoAeAfAwb", 1, [](TVostrel& c) { c.RemoteActivateViewfinderAuto(); },
       "PR_RC_DoAeAfAwb", true, 2},
      {"auto white balance", "PR_RC_DoAeAfAwb", 2,
       [](TVostrel& c) { c.RemoteActivateViewfinderAuto(); }, "PR_RC_DoAeAfAwb", true, 3},
      {"zoom description", "PR_GetDevicePropDesc", 0,
       [](TVostrel& c) {
         ZoomPosType zoom{};
         c.RemoteGetZoomPos(zoom);
       },
       "PR_GetDevicePropDesc", true, 1},
      {"digital zoom start", "PR_GetDevicePropValue", 0,
       [](TVostrel& c) {
         ZoomPosType zoom{};
         c.RemoteGetZoomPos(zoom);
       },
       "PR_GetDevicePropValue", true, 2},
      {"zoom position", "PR_SetDevicePropValue", 0, [](TVostrel& c) { c.RemoteSetZoomPos(3); },
       "PR_SetDevicePropValue", true, 1},
      {"focus lock", "PR_RC_FocusLock", 0, [](TVostrel& c) { c.RemoteAFLock(true); },
       "PR_RC_FocusLock", true, 1},
      {"focus unlock", "PR_RC_FocusUnlock", 0, [](TVostrel& c) { c.RemoteAFLock(false); },
       "PR_RC_FocusUnlock", true, 1},
  };
  for (const FailingCall& call : failing) {
    SCOPED_TRACE(call.Name);
    UseCamera();
    if (std::string(call.EntryPoint) != "PR_RC_StartViewFinder") {
      StartViewfinder();
    }
    Sim().clearCallLog();
    FailCall(call.EntryPoint, Busy, call.Passing);
    EXPECT_EQ(MessageOf([&] { call.Operation(*controller); }), Failure(call.Message));
    EXPECT_EQ(CalledFunctions().size(), call.Calls);
    EXPECT_EQ(controller->IsViewfinderOn(), call.ViewfinderOnAfter);
    if (controller->IsViewfinderOn()) {
      controller->RemoteStopViewfinder();
    }
    controller->RemoteEnd();
    // Nothing streams once release control has ended.
    const std::size_t count = frames.Count();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(frames.Count(), count);
  }
}

// The host stops the viewfinder while frames keep arriving on the camera's
// thread, again and again; every frame reaches the handler before the stop
// returns, none after.
TEST_F(PRViewfinder, StoppingWhileFramesArriveLeavesNoFrameBehind) {
  UseCamera();
  Sim().setSynchronousCallbacks(false);
  for (int run = 0; run < 20; ++run) {
    const std::size_t before = frames.Count();
    StartViewfinder();
    ASSERT_TRUE(frames.WaitFor(before + 1 + static_cast<std::size_t>(run % 3)));
    controller->RemoteStopViewfinder();
    const std::size_t after = frames.Count();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_EQ(frames.Count(), after) << "run " << run;
  }
}

} // namespace
} // namespace vostrel::test
