// The control interface of the simulated EDSDK.DLL: failure injection, the
// call log, scenarios and their errors, events raised by a test, and
// unplugging a camera.

#include "EdsTestSupport.h"

#include "platform/FileSystem.h"

namespace vostrel::sim::test {
namespace {

using EdsControlTest = EdsTest;

TEST_F(EdsControlTest, InjectedFailuresStartAfterNCallsAndLastForMCalls) {
  EdsCameraRef camera = openCamera(0);
  control().injectFailure("EdsGetPropertyData", EdsErrDeviceBusy, 2, 2);
  EdsUInt32 value = 0;
  EXPECT_EQ(eds().EdsGetPropertyData(camera, EdsPropAv, 0, 4, &value), EdsErrOK);
  EXPECT_EQ(eds().EdsGetPropertyData(camera, EdsPropAv, 0, 4, &value), EdsErrOK);
  EXPECT_EQ(eds().EdsGetPropertyData(camera, EdsPropAv, 0, 4, &value), EdsErrDeviceBusy);
  EXPECT_EQ(eds().EdsGetPropertyData(camera, EdsPropAv, 0, 4, &value), EdsErrDeviceBusy);
  EXPECT_EQ(eds().EdsGetPropertyData(camera, EdsPropAv, 0, 4, &value), EdsErrOK);
  // Other entry points are not affected; a failed call changes nothing.
  control().injectFailure("EdsSetPropertyData", 0x12340081, 0, VOSTREL_SIM_ALWAYS);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(setProperty32(camera, EdsPropAv, 48), 0x12340081u);
  }
  EXPECT_EQ(property32(camera, EdsPropAv), 40u);
  control().injectFailure("EdsSetPropertyData", 0, 0, 0);
  EXPECT_EQ(setProperty32(camera, EdsPropAv, 48), EdsErrOK);
  EXPECT_THROW(control().injectFailure("", 1, 0, 1), std::runtime_error);
}

TEST_F(EdsControlTest, CallLogShowsCallsResultsAndCallbacksInOrder) {
  control().setSynchronousCallbacks(true);
  EdsCameraRef camera = this->camera(0);
  listen(camera);
  control().clearCallLog();
  control().injectFailure("EdsOpenSession", EdsErrDeviceBusy, 0, 1);
  EXPECT_EQ(eds().EdsOpenSession(camera), EdsErrDeviceBusy);
  EXPECT_EQ(eds().EdsOpenSession(camera), EdsErrOK);
  EXPECT_EQ(setProperty32(camera, EdsPropSaveTo, EdsSaveToHost), EdsErrOK);
  EdsUInt32 count = 0;
  EXPECT_EQ(eds().EdsGetChildCount(camera, &count), EdsErrOK);
  control().setSynchronousCallbacks(false);

  const std::vector<std::string> lines = control().callLogLines();
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0].rfind("EdsOpenSession(camera#", 0), 0u);
  EXPECT_NE(lines[0].find(") = 0x00000081"), std::string::npos);
  EXPECT_EQ(lines[1], lines[0].substr(0, lines[0].find(')')) + ") = 0x00000000");
  EXPECT_NE(lines[2].find("EdsSetPropertyData(camera#"), std::string::npos);
  EXPECT_NE(lines[2].find(", 0x0000000B, 0, 4, 02000000) = 0x00000000"), std::string::npos);
  EXPECT_EQ(lines[3], "callback PropertyEvent(0x00000101, 0x0000000B, 0)");
  EXPECT_NE(lines[4].find(") = 0x00000000 -> 1"), std::string::npos);
  control().clearCallLog();
  EXPECT_EQ(control().callLog(), "");
}

TEST_F(EdsControlTest, FaultyScenariosAreReportedAndLeaveTheWorldAlone) {
  const std::string before = control().describeWorld();
  const auto expectError = [&](const std::string& scenario, const std::string& text) {
    try {
      control().loadScenario(scenario);
      ADD_FAILURE() << "accepted: " << scenario;
    } catch (const std::runtime_error& error) {
      EXPECT_NE(std::string(error.what()).find(text), std::string::npos) << error.what();
    }
  };
  expectError("{\"eos\": {\"cameras\": [", "not valid JSON");
  expectError("[1, 2]", "must be an object");
  expectError(R"({"eos": {"cameras": [{"model": "A", "flies": 3}]}})",
              "eos.cameras[0]: unknown key \"flies\"");
  expectError(R"({"eos": {"cameras": [{"owner": "no model"}]}})", "needs a \"model\"");
  expectError(R"({"eos": {"cameras": [{"model": "A", "properties": {"Zoom": 3}}]}})",
              "unknown property \"Zoom\"");
  expectError(R"({"eos": {"cameras": [{"model": "A", "properties": {"Av": "wide"}}]}})",
              "eos.cameras[0].properties.Av: must be a whole number");
  expectError(R"({"eos": {"cameras": [{"model": "A", "clock": "yesterday"}]}})", "date and time");
  expectError(
      R"({"eos": {"cameras": [{"model": "A", "volumes": [{"files": ["a/B.JPG", "a/B.JPG"]}]}]}})",
      "is on the card twice");
  expectError(R"({"eos": {"cameras": [{"model": "A", "properties": {"ImageQuality": [1, 2]}}]}})",
              "must hold 6 values");
  EXPECT_EQ(control().describeWorld(), before);
  EXPECT_THROW(control().loadScenarioFile(temporaryFile("missing.json")), std::runtime_error);
}

TEST_F(EdsControlTest, ScenariosLoadFromFilesAndDescribeTheWorldBack) {
  const std::string path = temporaryFile("scenario.json");
  const std::string text = R"({"eos": {"synchronousCallbacks": true, "cameras": [
      {"model": "Lab", "owner": "QA", "bodyId": 42, "battery": 30, "clock": "2023-12-31T23:59:59.250",
       "volumes": [{"label": "SD", "folders": ["DCIM/EMPTY"], "files": [
          "DCIM/100LAB/IMG_0041.JPG", {"path": "MISC/NOTE.TXT", "text": "hi"}]}]}]},
      "pr": {"anything": "belongs to another library"}})";
  platform::writeFile(path, Bytes(text.begin(), text.end()));
  control().loadScenarioFile(path);
  platform::removeFile(path);
  EXPECT_EQ(control().listFiles(0),
            "DCIM/100LAB/IMG_0041.JPG\t" +
                std::to_string(control().readFile(0, 0, "DCIM/100LAB/IMG_0041.JPG")->size()) +
                "\nMISC/NOTE.TXT\t2\n");
  EXPECT_EQ(control().readFile(0, 0, "MISC/NOTE.TXT"), (Bytes{'h', 'i'}));
  EXPECT_FALSE(control().readFile(0, 0, "MISC/NONE.TXT").has_value());
  const std::string world = control().describeWorld();
  EXPECT_NE(world.find("\"clock\": \"2023-12-31T23:59:59.250\""), std::string::npos);
  EXPECT_NE(world.find("\"DCIM/EMPTY\""), std::string::npos);
  EXPECT_NE(world.find("\"nextFileNumber\": 42"), std::string::npos);
  // The description is itself a scenario that gives the same world.
  control().loadScenario(world);
  EXPECT_EQ(control().describeWorld(), world);
}

TEST_F(EdsControlTest, RaisedEventsReachTheRegisteredHandlers) {
  EdsCameraRef camera = openCamera(0);
  listen(camera);
  control().raiseEvent(0, VOSTREL_SIM_STATE_EVENT, EdsStateEventWillSoonShutdown, 0, 5);
  control().raiseEvent(0, VOSTREL_SIM_PROPERTY_EVENT, EdsPropertyEventDescChanged, EdsPropAv);
  control().raiseEvent(0, VOSTREL_SIM_OBJECT_EVENT, EdsObjectEventTransferRequest);
  control().raiseEvent(1, VOSTREL_SIM_STATE_EVENT, EdsStateEventShutdown); // nobody listens
  control().waitIdle();
  const auto deliveries = recorder_.deliveries();
  ASSERT_EQ(deliveries.size(), 3u);
  EXPECT_EQ(deliveries[0].kind, "state");
  EXPECT_EQ(deliveries[0].value, 5u);
  EXPECT_EQ(deliveries[1].kind, "property");
  EXPECT_EQ(deliveries[1].value, EdsPropAv);
  ASSERT_EQ(deliveries[2].kind, "object");
  DirectoryItemInfoType info{};
  ASSERT_EQ(eds().EdsGetDirectoryItemInfo(deliveries[2].object, &info), EdsErrOK);
  EXPECT_STREQ(info.fileName, "IMG_0006.CR2"); // the last picture on the card
  EXPECT_THROW(control().raiseEvent(5, VOSTREL_SIM_STATE_EVENT, 0x301), std::runtime_error);
  EXPECT_THROW(control().raiseEvent(0, 9, 0x301), std::runtime_error);
}

TEST_F(EdsControlTest, AnUnpluggedCameraShutsDownAndDisappears) {
  EdsCameraRef camera = openCamera(1);
  listen(camera);
  control().detachCamera(1);
  control().waitIdle();
  const auto states = recorder_.deliveries("state");
  ASSERT_EQ(states.size(), 1u);
  EXPECT_EQ(states[0].event, EdsStateEventShutdown);
  EdsUInt32 value = 0;
  EXPECT_EQ(eds().EdsGetPropertyData(camera, EdsPropAv, 0, 4, &value), EdsErrCommDisconnected);
  EXPECT_EQ(eds().EdsOpenSession(camera), EdsErrCommDisconnected);
  EdsCameraListRef list = nullptr;
  ASSERT_EQ(eds().EdsGetCameraList(&list), EdsErrOK);
  EXPECT_EQ(eds().EdsGetChildCount(list, &value), EdsErrOK);
  EXPECT_EQ(value, 1u);
}

TEST_F(EdsControlTest, ANewScenarioInvalidatesEveryReference) {
  EdsCameraRef camera = openCamera(0);
  control().resetScenario();
  EXPECT_EQ(control().liveReferences(), 0u);
  EXPECT_EQ(eds().EdsCloseSession(camera), EdsErrInvalidHandle);
}

} // namespace
} // namespace vostrel::sim::test
