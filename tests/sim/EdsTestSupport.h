#pragma once
// Shared pieces of the tests of the simulated EDSDK.DLL: the library loaded
// by name as the binding loads it, its 50 entry points, the control client,
// a fixture that starts each test from the default scenario, and a recorder
// for the callbacks the simulator delivers.

#include "eos/EDSDKTYPES.h"
#include "platform/DynamicLibrary.h"
#include "sim/SimControlClient.h"
#include "sim/world/Bytes.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vostrel::sim::test {

// The entry points, resolved from EDSDK.DLL by name.
struct Edsdk {
#define VOSTREL_SIM_TEST_FIELD(number, name, result, parameters) name##Fn name = nullptr;
  EDSDK_ENTRY_POINTS(VOSTREL_SIM_TEST_FIELD)
#undef VOSTREL_SIM_TEST_FIELD
};

platform::DynamicLibrary& edsdkLibrary();
const Edsdk& eds();
SimControlClient& control();

// A callback as the simulator delivered it.
struct Delivery {
  std::string kind; // "property", "object", "state", "progress"
  EdsUInt32 event = 0;
  EdsUInt32 value = 0; // property id, state parameter or percentage
  EdsBaseRef object = nullptr;
  std::thread::id thread;
};

class Recorder {
public:
  static EdsError EDSCALLBACK onProperty(EdsUInt32 event, EdsUInt32 id, EdsUInt32, void* context);
  static EdsError EDSCALLBACK onObject(EdsUInt32 event, void* object, void* context);
  static EdsError EDSCALLBACK onState(EdsUInt32 event, EdsUInt32 parameter, void* context);
  static EdsError EDSCALLBACK onProgress(EdsUInt32 percent, void* context, EdsBool* cancel);

  // Cancels the transfer when the percentage reaches this value.
  void cancelAt(EdsUInt32 percent);
  std::vector<Delivery> deliveries() const;
  std::vector<Delivery> deliveries(const std::string& kind) const;

private:
  void add(Delivery delivery);

  mutable std::mutex mutex_;
  std::vector<Delivery> deliveries_;
  EdsUInt32 cancelAt_ = 1000;
};

class EdsTest : public ::testing::Test {
protected:
  void SetUp() override;
  void TearDown() override;

  // Loads a scenario with an "eos" section holding the given cameras text.
  static void loadCameras(const std::string& camerasJson);

  // The camera at an index of a fresh camera list (the list is released).
  EdsCameraRef camera(int index);
  // The same with a session opened.
  EdsCameraRef openCamera(int index);
  // Registers the recorder for every event of the camera.
  void listen(EdsCameraRef camera);
  // The child of a parent found by its name; fails the test when missing.
  EdsBaseRef childNamed(EdsBaseRef parent, const std::string& name);
  // An item by its path on the first volume of the camera.
  EdsDirectoryItemRef item(EdsCameraRef camera, const std::string& path);
  // Everything written into a stream.
  Bytes streamBytes(EdsStreamRef stream);
  // A 32-bit property value of a camera or image.
  EdsUInt32 property32(EdsBaseRef ref, EdsUInt32 id);
  EdsError setProperty32(EdsBaseRef ref, EdsUInt32 id, EdsUInt32 value);
  // A temporary file name for this test.
  std::string temporaryFile(const std::string& name);

  Recorder recorder_;
};

} // namespace vostrel::sim::test
