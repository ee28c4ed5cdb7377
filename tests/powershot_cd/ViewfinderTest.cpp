// The live functions of a CD camera through the controller: the viewfinder
// with its frames from the simulator's stream thread, its output and the
// automatic exposure, focus and white balance, the zoom and the focus lock,
// with a failure of each SDK call they make.

#include "SimulatedCD.h"

#include "support/FrameLog.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace vostrel::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr std::uint32_t Busy = 0x81;

std::string Failure(const std::string& function) {
  return function + " errorcode 0x00000081, Device busy";
}

// Zoom, shooting parameters, viewfinder, AF lock and remote release.
constexpr std::uint32_t EveryLiveFunction = 0x40000017;

class CDViewfinder : public SimulatedCD {
protected:
  // A camera with the capabilities and settings given, connected and under
  // release control; small frames at a high rate keep the runs short.
  void UseCamera(std::uint32_t faculty = EveryLiveFunction,
                 const nlohmann::json& properties = nlohmann::json::object()) {
    nlohmann::json scenario = nlohmann::json::parse(
        Scenario({CDCameraSpec{.faculty = faculty, .properties = properties}}));
    scenario["cd"]["cameras"][0]["viewfinder"] = {
        {"width", 64}, {"height", 48}, {"framesPerSecond", 500}};
    UseScenarioText(scenario.dump());
    ConnectFirstCamera();
    controller->RemoteStart(ReleaseModeType::ReleaseModeOnlyToPC,
                            ReleaseDataKindType::ReleaseDataKindTakeOnlyPicture, false, "");
    Sim().clearCallLog();
  }

  // The handler is assigned once: a stream left running by a failed stop may
  // still be calling it from the camera's thread.
  void StartViewfinder() {
    if (!controller->OnViewfinderEvent) {
      controller->OnViewfinderEvent = [this](std::istream& frame) { frames.Add(frame); };
    }
    controller->RemoteStartViewfinder();
  }

  // Waits a little and says whether a frame arrived meanwhile.
  bool FramesFollow() {
    const std::size_t count = frames.Count();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    return frames.Count() != count;
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

TEST_F(CDViewfinder, FramesAreDistinctJPEGPicturesFromTheStartToTheStop) {
  UseCamera();
  StartViewfinder();
  EXPECT_TRUE(controller->IsViewfinderOn());
  ASSERT_TRUE(frames.WaitFor(3));
  controller->RemoteStopViewfinder();
  EXPECT_FALSE(controller->IsViewfinderOn());

  ExpectDistinctJpegFrames(frames.Frames());
  EXPECT_THAT(Calls(),
              ElementsAre("CDStartViewfinder(source#, 0, handler, " +
                              std::to_string(controller->GetInstanceIndex()) + ") = 0x00000000",
                          "CDTermViewfinder(source#) = 0x00000000"));
  EXPECT_FALSE(FramesFollow());
}

// A stop the camera refuses leaves its stream running while the controller's
// viewfinder counts as off: the next start stops the camera's stream first.
TEST_F(CDViewfinder, AStreamLeftRunningByAFailedStopIsStoppedBeforeTheNextStart) {
  UseCamera();
  StartViewfinder();
  ASSERT_TRUE(frames.WaitFor(1));
  FailCall("CDTermViewfinder", Busy);
  EXPECT_EQ(MessageOf([&] { controller->RemoteStopViewfinder(); }), Failure("CDTermViewfinder"));
  EXPECT_FALSE(controller->IsViewfinderOn());

  Sim().clearCallLog();
  EXPECT_EQ(MessageOf([&] { StartViewfinder(); }), "");
  EXPECT_THAT(CalledFunctions(), ElementsAre("CDTermViewfinder", "CDStartViewfinder"));
  EXPECT_TRUE(controller->IsViewfinderOn());
  controller->RemoteStopViewfinder();
  EXPECT_FALSE(FramesFollow());

  // A stop that still fails at the next start leaves the stream to the start
  // after it.
  StartViewfinder();
  FailCall("CDTermViewfinder", Busy);
  EXPECT_EQ(MessageOf([&] { controller->RemoteStopViewfinder(); }), Failure("CDTermViewfinder"));
  FailCall("CDTermViewfinder", Busy);
  EXPECT_EQ(MessageOf([&] { StartViewfinder(); }),
            "CDStartViewfinder errorcode 0x000000F1, Invalid function call");
  Sim().clearCallLog();
  StartViewfinder();
  EXPECT_THAT(CalledFunctions(), ElementsAre("CDTermViewfinder", "CDStartViewfinder"));

  // Leaving release control ends the stream with it: the next start after a
  // new RemoteStart makes no stop of its own.
  FailCall("CDTermViewfinder", Busy);
  EXPECT_EQ(MessageOf([&] { controller->RemoteStopViewfinder(); }), Failure("CDTermViewfinder"));
  controller->RemoteEnd();
  EXPECT_FALSE(FramesFollow());
  controller->RemoteStart(ReleaseModeType::ReleaseModeOnlyToPC,
                          ReleaseDataKindType::ReleaseDataKindTakeOnlyPicture, false, "");
  Sim().clearCallLog();
  StartViewfinder();
  EXPECT_THAT(CalledFunctions(), ElementsAre("CDStartViewfinder"));
  controller->RemoteStopViewfinder();
}

TEST_F(CDViewfinder, ACameraWithoutTheFunctionRefusesItThroughItsSDK) {
  // Remote release and shooting parameters only.
  UseCamera(0x40000002);
  EXPECT_EQ(MessageOf([&] { StartViewfinder(); }),
            "CDStartViewfinder errorcode 0x00000007, Not supported");
  EXPECT_FALSE(controller->IsViewfinderOn());
  ZoomPosType zoom{1, 2, 3};
  EXPECT_EQ(MessageOf([&] { controller->RemoteGetZoomPos(zoom); }),
            "CDGetMaximumZoomPos errorcode 0x00000007, Not supported");
  EXPECT_EQ(zoom.CurrentZoomPos, 1);
  EXPECT_EQ(MessageOf([&] { controller->RemoteAFLock(true); }),
            "CDAFLock errorcode 0x00000007, Not supported");
  EXPECT_FALSE(FramesFollow());
}

TEST_F(CDViewfinder, OutputAndAutomaticFunctionsSendTheirCodes) {
  UseCamera();
  StartViewfinder();
  controller->RemoteSetViewfinderOutput(RemoteViewFinderOutputLCD);
  controller->RemoteSetViewfinderOutput(RemoteViewFinderOutputVideo);
  controller->RemoteSetViewfinderOutput(RemoteViewFinderOutputOff);
  controller->RemoteSetViewfinderOutput(5); // no output: nothing is sent
  controller->RemoteActivateViewfinderAuto();
  EXPECT_THAT(Calls(),
              ElementsAre("CDStartViewfinder(source#, 0, handler, " +
                              std::to_string(controller->GetInstanceIndex()) + ") = 0x00000000",
                          "CDSelectViewFinderCameraOutput(source#, 1) = 0x00000000",
                          "CDSelectViewFinderCameraOutput(source#, 2) = 0x00000000",
                          "CDSelectViewFinderCameraOutput(source#, 3) = 0x00000000",
                          "CDActViewfinderAutoFunctions(source#, 7) = 0x00000000"));
  EXPECT_EQ(WorldCamera(0)["properties"]["ViewfinderOutput"]["value"], 3);
  // Leaving release control ends the camera's stream as well.
  controller->RemoteEnd();
  EXPECT_FALSE(FramesFollow());
}

// ---------------------------------------------------------------------------
// The zoom and the focus lock

TEST_F(CDViewfinder, ZoomPositionsAreReadAndSetAsTheCameraHasThem) {
  UseCamera(EveryLiveFunction, {{"Zoom", 7}, {"MaximumZoom", 40}, {"MaximumOpticalZoom", 12}});
  ZoomPosType zoom = Zoom();
  EXPECT_EQ(zoom.CurrentZoomPos, 7);
  EXPECT_EQ(zoom.MaxOpticalZoomPos, 12);
  EXPECT_EQ(zoom.MaxZoomPos, 40);

  controller->RemoteSetZoomPos(40);
  EXPECT_EQ(Zoom().CurrentZoomPos, 40);
  // The position goes unchanged to the camera, which refuses what it lacks.
  EXPECT_EQ(MessageOf([&] { controller->RemoteSetZoomPos(41); }),
            "CDSetZoomPos errorcode 0x00000086, Device invalid parameter");
  EXPECT_EQ(MessageOf([&] { controller->RemoteSetZoomPos(-1); }),
            "CDSetZoomPos errorcode 0x00000086, Device invalid parameter");
  EXPECT_THAT(Calls(), testing::Contains("CDSetZoomPos(source#, 4294967295) = 0x00000086"));
  EXPECT_EQ(Zoom().CurrentZoomPos, 40);
}

TEST_F(CDViewfinder, TheSameCallLocksAndUnlocksTheFocus) {
  UseCamera();
  controller->RemoteAFLock(true);
  controller->RemoteAFLock(false);
  EXPECT_THAT(Calls(), ElementsAre("CDAFLock(source#, 1) = 0x00000000",
                                   "CDAFLock(source#, 0) = 0x00000000"));
}

// ---------------------------------------------------------------------------
// A failure of each SDK call: its message, and nothing left running.

struct FailingCall {
  const char* EntryPoint;
  std::uint32_t Passing; // successful calls of the entry point before it
  std::function<void(TVostrel&)> Operation;
  bool ViewfinderOnAfter;
};

TEST_F(CDViewfinder, EachFailingCallIsReportedWithItsName) {
  const auto zoom = [](TVostrel& c) {
    ZoomPosType record{1, 2, 3};
    c.RemoteGetZoomPos(record);
  };
  const std::vector<FailingCall> failing = {
      {"CDStartViewfinder", 0, [](TVostrel& c) { c.RemoteStartViewfinder(); }, false},
      {"CDTermViewfinder", 0, [](TVostrel& c) { c.RemoteStopViewfinder(); }, false},
      {"CDSelectViewFinderCameraOutput", 0,
       [](TVostrel& c) { c.RemoteSetViewfinderOutput(RemoteViewFinderOutputVideo); }, true},
      {"CDActViewfinderAutoFunctions", 0, [](TVostrel& c) { c.RemoteActivateViewfinderAuto(); },
       true},
      {"CDGetMaximumZoomPos", 0, zoom, true},
      {"CDGetZoomPos", 0, zoom, true},
      {"CDSetZoomPos", 0, [](TVostrel& c) { c.RemoteSetZoomPos(3); }, true},
      {"CDAFLock", 0, [](TVostrel& c) { c.RemoteAFLock(true); }, true},
  };
  for (const FailingCall& call : failing) {
    SCOPED_TRACE(call.EntryPoint);
    UseCamera();
    if (std::string(call.EntryPoint) != "CDStartViewfinder") {
      StartViewfinder();
    }
    FailCall(call.EntryPoint, Busy, call.Passing);
    EXPECT_EQ(MessageOf([&] { call.Operation(*controller); }), Failure(call.EntryPoint));
    EXPECT_EQ(controller->IsViewfinderOn(), call.ViewfinderOnAfter);
    if (controller->IsViewfinderOn()) {
      controller->RemoteStopViewfinder();
    }
    controller->RemoteEnd();
    EXPECT_FALSE(FramesFollow());
  }
}

// A zoom record is filled only when both reads succeed.
TEST_F(CDViewfinder, AFailedZoomReadLeavesTheRecordAlone) {
  UseCamera(EveryLiveFunction, {{"Zoom", 7}});
  FailCall("CDGetZoomPos", Busy);
  ZoomPosType zoom{1, 2, 3};
  EXPECT_EQ(MessageOf([&] { controller->RemoteGetZoomPos(zoom); }), Failure("CDGetZoomPos"));
  EXPECT_EQ(zoom.CurrentZoomPos, 1);
  EXPECT_EQ(zoom.MaxOpticalZoomPos, 2);
  EXPECT_EQ(zoom.MaxZoomPos, 3);
}

// The host stops the viewfinder while frames keep arriving on the camera's
// thread, again and again; every frame reaches the handler before the stop
// returns, none after.
TEST_F(CDViewfinder, StoppingWhileFramesArriveLeavesNoFrameBehind) {
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
  // Every run's frames are counted for the camera.
  controller->RemoteEnd();
  EXPECT_GE(WorldCamera(0)["viewfinder"]["framesSent"].get<std::uint64_t>(), frames.Count());
}

} // namespace
} // namespace vostrel::test
