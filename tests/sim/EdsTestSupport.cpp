#include "EdsTestSupport.h"

#include "platform/FileSystem.h"

#include <algorithm>
#include <stdexcept>

namespace vostrel::sim::test {

platform::DynamicLibrary& edsdkLibrary() {
  static const auto library = platform::DynamicLibrary::open("EDSDK.DLL");
  if (!library) {
    throw std::runtime_error("EDSDK.DLL cannot be loaded");
  }
  return *library;
}

const Edsdk& eds() {
  static const Edsdk functions = [] {
    Edsdk resolved;
#define VOSTREL_SIM_TEST_RESOLVE(number, name, result, parameters)                                 \
  resolved.name = reinterpret_cast<name##Fn>(edsdkLibrary().symbol(#name));
    EDSDK_ENTRY_POINTS(VOSTREL_SIM_TEST_RESOLVE)
#undef VOSTREL_SIM_TEST_RESOLVE
    return resolved;
  }();
  return functions;
}

SimControlClient& control() {
  static SimControlClient client(edsdkLibrary());
  return client;
}

// ---------------------------------------------------------------------------

EdsError Recorder::onProperty(EdsUInt32 event, EdsUInt32 id, EdsUInt32, void* context) {
  static_cast<Recorder*>(context)->add(
      {"property", event, id, nullptr, std::this_thread::get_id()});
  return 0;
}

EdsError Recorder::onObject(EdsUInt32 event, void* object, void* context) {
  static_cast<Recorder*>(context)->add({"object", event, 0, object, std::this_thread::get_id()});
  return 0;
}

EdsError Recorder::onState(EdsUInt32 event, EdsUInt32 parameter, void* context) {
  static_cast<Recorder*>(context)->add(
      {"state", event, parameter, nullptr, std::this_thread::get_id()});
  return 0;
}

EdsError Recorder::onProgress(EdsUInt32 percent, void* context, EdsBool* cancel) {
  auto* recorder = static_cast<Recorder*>(context);
  recorder->add({"progress", 0, percent, nullptr, std::this_thread::get_id()});
  std::lock_guard lock(recorder->mutex_);
  if (percent >= recorder->cancelAt_) {
    *cancel = 1;
  }
  return 0;
}

void Recorder::cancelAt(EdsUInt32 percent) {
  std::lock_guard lock(mutex_);
  cancelAt_ = percent;
}

void Recorder::add(Delivery delivery) {
  std::lock_guard lock(mutex_);
  deliveries_.push_back(std::move(delivery));
}

std::vector<Delivery> Recorder::deliveries() const {
  std::lock_guard lock(mutex_);
  return deliveries_;
}

std::vector<Delivery> Recorder::deliveries(const std::string& kind) const {
  std::vector<Delivery> found;
  for (const Delivery& delivery : deliveries()) {
    if (delivery.kind == kind) {
      found.push_back(delivery);
    }
  }
  return found;
}

// ---------------------------------------------------------------------------

void EdsTest::SetUp() {
  control().resetScenario();
  control().clearFailures();
  control().clearCallLog();
  ASSERT_EQ(eds().EdsInitializeSDK(), EdsErrOK);
}

void EdsTest::TearDown() {
  EXPECT_EQ(eds().EdsTerminateSDK(), EdsErrOK);
  control().clearFailures();
}

void EdsTest::loadCameras(const std::string& camerasJson) {
  control().loadScenario(R"({"eos": {"cameras": )" + camerasJson + "}}");
}

EdsCameraRef EdsTest::camera(int index) {
  EdsCameraListRef list = nullptr;
  EdsCameraRef found = nullptr;
  EXPECT_EQ(eds().EdsGetCameraList(&list), EdsErrOK);
  EXPECT_EQ(eds().EdsGetChildAtIndex(list, index, &found), EdsErrOK);
  EXPECT_EQ(eds().EdsRelease(list), EdsErrOK);
  return found;
}

EdsCameraRef EdsTest::openCamera(int index) {
  EdsCameraRef found = camera(index);
  EXPECT_EQ(eds().EdsOpenSession(found), EdsErrOK);
  return found;
}

void EdsTest::listen(EdsCameraRef camera) {
  ASSERT_EQ(eds().EdsSetPropertyEventHandler(camera, EdsPropertyEventAll, Recorder::onProperty,
                                             &recorder_),
            EdsErrOK);
  ASSERT_EQ(
      eds().EdsSetObjectEventHandler(camera, EdsObjectEventAll, Recorder::onObject, &recorder_),
      EdsErrOK);
  ASSERT_EQ(
      eds().EdsSetCameraStateEventHandler(camera, EdsStateEventAll, Recorder::onState, &recorder_),
      EdsErrOK);
}

EdsBaseRef EdsTest::childNamed(EdsBaseRef parent, const std::string& name) {
  EdsUInt32 count = 0;
  EXPECT_EQ(eds().EdsGetChildCount(parent, &count), EdsErrOK);
  for (EdsUInt32 i = 0; i < count; ++i) {
    EdsBaseRef child = nullptr;
    DirectoryItemInfoType info{};
    EXPECT_EQ(eds().EdsGetChildAtIndex(parent, static_cast<EdsInt32>(i), &child), EdsErrOK);
    EXPECT_EQ(eds().EdsGetDirectoryItemInfo(child, &info), EdsErrOK);
    if (name == info.fileName) {
      return child;
    }
    eds().EdsRelease(child);
  }
  ADD_FAILURE() << "no child named " << name;
  return nullptr;
}

EdsDirectoryItemRef EdsTest::item(EdsCameraRef camera, const std::string& path) {
  EdsVolumeRef volume = nullptr;
  EXPECT_EQ(eds().EdsGetChildAtIndex(camera, 0, &volume), EdsErrOK);
  EdsBaseRef current = volume;
  std::string rest = path;
  while (!rest.empty()) {
    const auto slash = rest.find('/');
    const std::string name = rest.substr(0, slash);
    rest = slash == std::string::npos ? "" : rest.substr(slash + 1);
    EdsBaseRef next = childNamed(current, name);
    eds().EdsRelease(current);
    current = next;
  }
  return current;
}

Bytes EdsTest::streamBytes(EdsStreamRef stream) {
  EdsUInt32 length = 0;
  EXPECT_EQ(eds().EdsGetLength(stream, &length), EdsErrOK);
  EXPECT_EQ(eds().EdsSeek(stream, 0, EdsSeekBegin), EdsErrOK);
  Bytes bytes(length);
  EdsUInt32 read = 0;
  EXPECT_EQ(eds().EdsRead(stream, length, bytes.data(), &read), EdsErrOK);
  EXPECT_EQ(read, length);
  return bytes;
}

EdsUInt32 EdsTest::property32(EdsBaseRef ref, EdsUInt32 id) {
  EdsUInt32 value = 0xDEADBEEF;
  EXPECT_EQ(eds().EdsGetPropertyData(ref, id, 0, 4, &value), EdsErrOK);
  return value;
}

EdsError EdsTest::setProperty32(EdsBaseRef ref, EdsUInt32 id, EdsUInt32 value) {
  return eds().EdsSetPropertyData(ref, id, 0, 4, &value);
}

std::string EdsTest::temporaryFile(const std::string& name) {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  const std::string folder = platform::joinPath(platform::temporaryFolder(), "vostrel-sim-tests");
  platform::createDirectories(folder);
  return platform::joinPath(folder, std::string(info->name()) + "-" + name);
}

} // namespace vostrel::sim::test
