// The pieces of the simulated cameras' world on their own: properties,
// scenarios, failure injection, callback delivery, references and the file
// formats.

#include "platform/FileSystem.h"
#include "sim/world/EventDispatcher.h"
#include "sim/world/FailureInjector.h"
#include "sim/world/HandleTable.h"
#include "sim/world/Jpeg.h"
#include "sim/world/Pictures.h"
#include "sim/world/RawFormat.h"
#include "sim/world/Scenario.h"
#include "sim/world/Simulator.h"
#include "sim/world/TestPattern.h"
#include "sim/world/Tiff.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <atomic>
#include <limits>
#include <thread>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace vostrel::sim {
namespace {

TEST(PropertyTest, WritesAsACameraDoes) {
  Property av;
  av.value = u32Bytes(40);
  av.accepted = std::vector<Bytes>{u32Bytes(40), u32Bytes(48), u32Bytes(56)};
  av.ignored = {u32Bytes(56)};
  EXPECT_EQ(av.write(u32Bytes(48)), WriteOutcome::Applied);
  EXPECT_EQ(av.write(u32Bytes(48)), WriteOutcome::Unchanged);
  EXPECT_EQ(av.write(u32Bytes(56)), WriteOutcome::Unchanged);
  EXPECT_EQ(av.write(u32Bytes(50)), WriteOutcome::Refused);
  EXPECT_EQ(av.write(Bytes{1, 2}), WriteOutcome::WrongSize);
  EXPECT_EQ(av.value, u32Bytes(48));
  av.readBackAsWritten = false;
  EXPECT_EQ(av.write(u32Bytes(40)), WriteOutcome::Unchanged);
  av.writable = false;
  EXPECT_EQ(av.write(u32Bytes(40)), WriteOutcome::ReadOnly);

  Property text;
  text.kind = ValueKind::Text;
  text.capacity = 4;
  text.value = textBytes("ab");
  EXPECT_EQ(text.write(Bytes{'x', 'y', 'z', 0}), WriteOutcome::Applied);
  EXPECT_EQ(text.write(Bytes{'x', 'y', 'z', 'w'}), WriteOutcome::WrongSize); // no terminating zero
  EXPECT_EQ(text.write(Bytes{'q', 0, 'j', 'k'}), WriteOutcome::Applied); // text ends at the zero
  EXPECT_EQ(text.value, textBytes("q"));
}

class TestFamily final : public CameraFamily {
public:
  std::string section() const override { return "test"; }
  Camera defaultCamera(std::size_t index) const override {
    Camera camera;
    camera.bodyId = 100 + static_cast<std::uint32_t>(index);
    camera.availableShots = 10;
    Property mode;
    mode.value = u32Bytes(1);
    camera.properties[7] = mode;
    return camera;
  }
  std::optional<std::uint32_t> propertyId(const std::string& name) const override {
    return name == "Mode" ? std::optional<std::uint32_t>(7) : std::nullopt;
  }
  std::string propertyName(std::uint32_t id) const override {
    return id == 7 ? "Mode" : "0x" + std::to_string(id);
  }
  std::uint32_t dataTypeFor(ValueKind kind) const override {
    return 50 + static_cast<std::uint32_t>(kind);
  }
  RawShot defaultRawShot() const override { return {1, 5200, 0xFF}; }
  std::string rawExtension() const override { return ".RAW"; }
};

TEST(ScenarioTest, ReadsCamerasOverTheFamilysDefaults) {
  const TestFamily family;
  const World world = parseScenario(R"({"other": 1, "test": {"cameras": [
      {"model": "One", "properties": {"Mode": {"accepted": {"min": 1, "max": 9, "step": 4}}}},
      {"model": "Two", "availableShots": 3, "properties": {"Mode": null,
          "0x20": {"value": "abc", "capacity": 8}, "0x21": [1, -2]},
       "volumes": [{"files": ["A/P_0005.RAW", "A/P_0009.JPG", {"path": "B/X.BIN", "kind": "data"}]}]}]}})",
                                    family);
  ASSERT_EQ(world.cameras.size(), 2u);
  const Camera& one = *world.cameras[0];
  EXPECT_EQ(one.bodyId, 100u);
  ASSERT_TRUE(one.property(7)->accepted.has_value());
  EXPECT_EQ(*one.property(7)->accepted,
            (std::vector<Bytes>{u32Bytes(1), u32Bytes(5), u32Bytes(9)}));

  const Camera& two = *world.cameras[1];
  EXPECT_EQ(two.bodyId, 101u);
  EXPECT_EQ(two.property(7), nullptr);
  EXPECT_EQ(two.property(0x20)->kind, ValueKind::Text);
  EXPECT_EQ(two.property(0x20)->capacity, 8u);
  EXPECT_EQ(two.property(0x20)->dataType, 52u);
  EXPECT_EQ(two.property(0x21)->value.size(), 8u);
  EXPECT_EQ(two.nextFileNumber, 10u); // after the highest picture number
  EXPECT_EQ(two.shotsOnEmptyCard, 6);
  const auto raw = findEntry(two.volumes[0], "A/P_0005.RAW");
  ASSERT_TRUE(raw);
  EXPECT_EQ(raw->kind, FileKind::Raw);
  EXPECT_EQ(decodeRaw(raw->content).supportedWhiteBalances, 0xFFu);
  EXPECT_EQ(findEntry(two.volumes[0], "A/P_0009.JPG")->number, 9u);
  EXPECT_TRUE(findEntry(two.volumes[0], "B/X.BIN")->content.empty());

  EXPECT_TRUE(parseScenario(R"({"eos": {}})", family).cameras.empty());
  EXPECT_THROW(parseScenario(R"({"test": {"cameras": [{"model": "A",
      "properties": {"Mode": {"accepted": {"min": 5, "max": 1}}}}]}})",
                             family),
               ScenarioError);
  EXPECT_THROW(parseScenario(R"({"test": {"cameras": [{"model": "A",
      "properties": {"0x30": {"value": "a", "capacity": 1}}}]}})",
                             family),
               ScenarioError);
}

// Whatever the text, reading it ends in a world or in a ScenarioError that
// names the place of the fault.
TEST(ScenarioTest, AnyTextEndsInAWorldOrAScenarioErrorNamingThePlace) {
  const TestFamily family;
  const auto problem = [&](const std::string& text) {
    try {
      parseScenario(text, family);
    } catch (const ScenarioError& error) {
      return std::string(error.what());
    }
    return std::string("no error");
  };
  EXPECT_EQ(problem(R"({"test": {"cameras": [{"model": "A", "battery": 1e400}]}})"),
            "scenario test.cameras[0].battery: the number 1e400 is too large");
  EXPECT_EQ(
      problem(R"({"test": {"cameras": [{"model": "A", "properties": {"0x21": [1, -1e999]}}]}})"),
      "scenario test.cameras[0].properties.0x21[1]: the number -1e999 is too large");
  EXPECT_EQ(problem("1e400"), "scenario: the number 1e400 is too large");
  EXPECT_EQ(problem(R"({"test": {"cameras": [{"model": "A", "volumes": [{"files": [{}]}]}]}})"),
            "scenario test.cameras[0].volumes[0].files[0]: needs \"path\"");
  EXPECT_EQ(problem(R"({"test": [)").rfind("scenario is not valid JSON: ", 0), 0u);
  // Nesting deeper than any call stack is read and freed as well.
  const std::string deep = std::string(100000, '[') + std::string(100000, ']');
  EXPECT_EQ(problem(deep), "scenario: must be an object with one section per camera library");
  const std::string deepInside =
      R"({"test": {"cameras": [{"model": "A", "owner": )" + deep + "}]}}";
  EXPECT_EQ(problem(deepInside), "scenario test.cameras[0].owner: must be a text");
}

// A world as the simulator describes it is a scenario that reads back into
// the same world, with cards nested however deep, files next to folders and
// any picture name.
TEST(ScenarioTest, DescribedWorldsReadBackWhateverTheirCards) {
  const TestFamily family;
  std::string deep;
  for (int level = 0; level < 50000; ++level) {
    deep += "F/";
  }
  const nlohmann::json scenario = {
      {"test",
       {{"cameras",
         {{{"model", "A"},
           {"volumes",
            {{{"folders", {deep + "EMPTY", "DCIM/100"}},
              {"files",
               {deep + "IMG_0001.JPG", "DCIM/LOOSE.TXT", "DCIM/101/IMG_0007.JPG",
                "DCIM/100/IMG_12345.JPG", "DCIM/100/IMG_99999999999999999999.JPG"}}}}}}}}}}};
  const World world = parseScenario(scenario.dump(), family);
  const Volume& card = world.cameras.at(0)->volumes.at(0);
  const auto file = findEntry(card, deep + "IMG_0001.JPG");
  ASSERT_TRUE(file);
  EXPECT_EQ(entryPath(*file), deep + "IMG_0001.JPG");
  EXPECT_EQ(countFiles(*card.root), 5u);
  // Picture numbers have four digits: the last four of a longer run.
  EXPECT_EQ(findEntry(card, "DCIM/100/IMG_12345.JPG")->number, 2345u);
  EXPECT_EQ(findEntry(card, "DCIM/100/IMG_99999999999999999999.JPG")->number, 9999u);

  const std::string described = describeWorld(world, family);
  const World again = parseScenario(described, family);
  EXPECT_EQ(describeWorld(again, family), described);
  EXPECT_TRUE(findEntry(again.cameras.at(0)->volumes.at(0), deep + "EMPTY"));

  // Removing the top folder marks everything below it.
  removeEntry(findEntry(card, "F"));
  EXPECT_TRUE(file->removed);
  EXPECT_EQ(countFiles(*card.root), 4u);
}

TEST(ScenarioTest, DescribesAWorldThatReadsBackTheSame) {
  const TestFamily family;
  // The second camera lacks the family's default property.
  const std::string text = R"({"test": {"cameras": [{"model": "One"},
      {"model": "Two", "properties": {"Mode": null}}]}})";
  const std::string description = describeWorld(parseScenario(text, family), family);
  const World again = parseScenario(description, family);
  ASSERT_EQ(again.cameras.size(), 2u);
  EXPECT_NE(again.cameras[0]->property(7), nullptr);
  EXPECT_EQ(again.cameras[1]->property(7), nullptr);
  EXPECT_EQ(describeWorld(again, family), description);
}

// A simulator of the test family, to start as a library would.
class TestSimulator final : public Simulator {
public:
  using Simulator::Simulator;
  void raiseEvent(std::int32_t, std::int32_t, std::uint32_t, std::uint32_t,
                  std::uint32_t) override {}
  void detachCamera(std::int32_t) override {}
  std::size_t liveReferences() override { return 0; }
  std::string problem() const { return startupError(); }

private:
  void worldReplaced() override {}
};

TEST(SimulatorTest, StartsWithTheScenarioNamedByTheEnvironment) {
  const TestFamily family;
  const std::string path =
      platform::joinPath(platform::temporaryFolder(), "vostrel-sim-start.json");
  const auto start = [&](const std::string& text) {
    platform::writeFile(path, Bytes(text.begin(), text.end()));
    platform::setEnvironmentVariable("VOSTREL_SIM_SCENARIO", path);
    auto simulator = std::make_unique<TestSimulator>(family);
    platform::setEnvironmentVariable("VOSTREL_SIM_SCENARIO", std::nullopt);
    platform::removeFile(path);
    return simulator;
  };
  const auto good =
      start(R"({"test": {"synchronousCallbacks": true, "cameras": [{"model": "From file"}]}})");
  EXPECT_EQ(good->problem(), "");
  EXPECT_NE(good->describeWorld().find("From file"), std::string::npos);
  EXPECT_TRUE(good->events().synchronous());

  const auto broken = start(R"({"test": {"cameras": [{"model": "A", "battery": -1}]}})");
  EXPECT_NE(broken->problem().find("VOSTREL_SIM_SCENARIO: scenario test.cameras[0].battery"),
            std::string::npos)
      << broken->problem();
  EXPECT_EQ(broken->lastError(), broken->problem());
  EXPECT_EQ(broken->describeWorld().find("\"model\""), std::string::npos);
  // A scenario loaded later replaces the failed one.
  broken->loadScenario(R"({"test": {"cameras": [{"model": "Later"}]}})");
  EXPECT_EQ(broken->problem(), "");
}

// A device or a pipe named as the scenario is refused at once: read, the one
// would never end and the other would wait for a writer.
TEST(SimulatorTest, AScenarioThatIsNoRegularFileIsRefusedWithoutReadingIt) {
  const TestFamily family;
  const auto problemWith = [&](const std::string& path) {
    platform::setEnvironmentVariable("VOSTREL_SIM_SCENARIO", path);
    const TestSimulator simulator(family);
    platform::setEnvironmentVariable("VOSTREL_SIM_SCENARIO", std::nullopt);
    return simulator.problem();
  };
#ifdef _WIN32
  const std::string device = "NUL";
#else
  const std::string device = "/dev/zero";
  const std::string pipe = platform::joinPath(platform::temporaryFolder(), "vostrel-sim-pipe.json");
  platform::removeFile(pipe);
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  EXPECT_EQ(problemWith(pipe), "VOSTREL_SIM_SCENARIO: cannot read scenario file " + pipe + ": " +
                                   pipe + " is not a regular file");
  platform::removeFile(pipe);
#endif
  EXPECT_EQ(problemWith(device), "VOSTREL_SIM_SCENARIO: cannot read scenario file " + device +
                                     ": " + device + " is not a regular file");
}

TEST(FailureInjectorTest, CountsCallsPerEntryPoint) {
  FailureInjector injector;
  injector.inject("A", 7, 1, 2);
  EXPECT_EQ(injector.check("B"), std::nullopt);
  EXPECT_EQ(injector.check("A"), std::nullopt);
  EXPECT_EQ(injector.check("A"), 7u);
  EXPECT_EQ(injector.check("A"), 7u);
  EXPECT_EQ(injector.check("A"), std::nullopt);
  injector.inject("A", 9, 0, FailureInjector::Always);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(injector.check("A"), 9u);
  }
  injector.clear();
  EXPECT_EQ(injector.check("A"), std::nullopt);
}

TEST(FailureInjectorTest, UnplugsACameraOnceInTheChosenCall) {
  FailureInjector injector;
  injector.unplugDuring("A", 3, 2);
  EXPECT_EQ(injector.unplugDue("B"), std::nullopt);
  EXPECT_EQ(injector.unplugDue("A"), std::nullopt);
  EXPECT_EQ(injector.unplugDue("A"), std::nullopt);
  EXPECT_EQ(injector.unplugDue("A"), 3);
  EXPECT_EQ(injector.unplugDue("A"), std::nullopt);
  // An unplugging is not counted as an injected failure; a later one replaces it.
  EXPECT_EQ(injector.injected(), 0u);
  injector.unplugDuring("A", 1, 0);
  injector.unplugDuring("A", 2, 0);
  EXPECT_EQ(injector.unplugDue("A"), 2);
  injector.unplugDuring("A", 1, 0);
  injector.clear();
  EXPECT_EQ(injector.unplugDue("A"), std::nullopt);

  const TestFamily family;
  const World world = parseScenario(R"({"test": {"cameras": [{"model": "A"},
      {"model": "B", "unplugDuring": {"entryPoint": "EdsDownload", "calls": 4}}]}})",
                                    family);
  ASSERT_EQ(world.unpluggings.size(), 1u);
  EXPECT_EQ(world.unpluggings[0].camera, 1);
  EXPECT_EQ(world.unpluggings[0].entryPoint, "EdsDownload");
  EXPECT_EQ(world.unpluggings[0].calls, 4u);
  EXPECT_EQ(describeWorld(world, family).find("unplugDuring"), std::string::npos);
  for (const char* unplugging :
       {R"({"entryPoint": ""})", R"({"calls": 1})", R"({"entryPoint": "X", "calls": -1})",
        R"({"entryPoint": "X", "after": 1})"}) {
    EXPECT_THROW(parseScenario(R"({"test": {"cameras": [{"model": "A", "unplugDuring": )" +
                                   std::string(unplugging) + "}]}}",
                               family),
                 ScenarioError)
        << unplugging;
  }
}

TEST(FailureInjectorTest, RandomFailuresFollowTheSeedAndTheirChance) {
  const auto failures = [](std::uint32_t seed) {
    FailureInjector injector;
    injector.seedRandom(seed);
    injector.injectRandom("A", 5, 20000); // 2 %
    std::vector<int> failed;
    for (int call = 0; call < 20000; ++call) {
      // Entry points without an injection draw nothing.
      EXPECT_EQ(injector.check("B"), std::nullopt);
      if (const auto result = injector.check("A")) {
        EXPECT_EQ(*result, 5u);
        failed.push_back(call);
      }
    }
    EXPECT_EQ(injector.injected(), failed.size());
    return failed;
  };
  const std::vector<int> first = failures(3);
  EXPECT_EQ(failures(3), first);
  EXPECT_NE(failures(4), first);
  EXPECT_GT(first.size(), 300u);
  EXPECT_LT(first.size(), 500u);

  FailureInjector injector;
  injector.injectRandom("A", 5, FailureInjector::OneMillion);
  injector.inject("A", 7, 0, 1);
  EXPECT_EQ(injector.check("A"), 7u); // counted injections first
  EXPECT_EQ(injector.check("A"), 5u);
  injector.injectRandom("A", 5, 0);
  EXPECT_EQ(injector.check("A"), std::nullopt);
}

TEST(FailureInjectorTest, ALimitedDiskTakesWhatFitsUntilTheLimitIsLifted) {
  FailureInjector injector;
  EXPECT_EQ(injector.takeDiskSpace(1 << 20), 1u << 20);
  injector.limitDiskSpace(1000);
  EXPECT_EQ(injector.takeDiskSpace(600), 600u);
  EXPECT_EQ(injector.takeDiskSpace(600), 400u);
  EXPECT_EQ(injector.takeDiskSpace(1), 0u);
  injector.clear();
  EXPECT_EQ(injector.takeDiskSpace(600), 600u);
}

TEST(EventDispatcherTest, DeliversInOrderOnItsOwnThreadAndWaitsWhenAsked) {
  EventDispatcher dispatcher;
  std::mutex mutex;
  std::vector<int> order;
  std::vector<std::thread::id> threads;
  for (int i = 0; i < 50; ++i) {
    dispatcher.post([&, i] {
      std::lock_guard lock(mutex);
      order.push_back(i);
      threads.push_back(std::this_thread::get_id());
    });
  }
  // deliver() waits for its own callback, after everything posted before.
  dispatcher.deliver([&] {
    std::lock_guard lock(mutex);
    order.push_back(50);
  });
  {
    std::lock_guard lock(mutex);
    ASSERT_EQ(order.size(), 51u);
    for (int i = 0; i <= 50; ++i) {
      EXPECT_EQ(order[static_cast<std::size_t>(i)], i);
    }
    EXPECT_NE(threads.front(), std::this_thread::get_id());
  }
  // From a callback, a posted callback waits its turn, while deliver()
  // runs at once and waitIdle() returns at once instead of blocking.
  std::vector<std::string> nested;
  dispatcher.post([&] {
    dispatcher.post([&] { nested.push_back("posted"); });
    dispatcher.waitIdle();
    dispatcher.deliver([&] { nested.push_back("delivered"); });
  });
  dispatcher.waitIdle();
  EXPECT_EQ(nested, (std::vector<std::string>{"delivered", "posted"}));

  dispatcher.stop();
  dispatcher.setSynchronous(true);
  std::thread::id where;
  dispatcher.post([&] { where = std::this_thread::get_id(); });
  EXPECT_EQ(where, std::this_thread::get_id());
}

TEST(HandleTableTest, NeverHandsOutAReleasedReferenceAgain) {
  HandleTable<int> table;
  void* first = table.add(std::make_shared<int>(1));
  EXPECT_TRUE(table.retain(first));
  EXPECT_TRUE(table.release(first));
  EXPECT_TRUE(table.release(first));
  EXPECT_FALSE(table.release(first));
  void* second = table.add(std::make_shared<int>(2));
  EXPECT_NE(first, second);
  EXPECT_EQ(table.find(first), nullptr);
  EXPECT_EQ(*table.find(second), 2);
  int unrelated = 0;
  EXPECT_EQ(table.find(&unrelated), nullptr);
  EXPECT_EQ(table.find(nullptr), nullptr);
}

TEST(FileFormatTest, RawFilesRoundTripAndRejectDamage) {
  const PictureFile file = makeRawPicture(12, {3, 3200, 0x1F});
  const RawPicture raw = decodeRaw(file.content);
  EXPECT_EQ(raw.number, 12u);
  EXPECT_EQ(raw.whiteBalance, 3u);
  EXPECT_EQ(raw.kelvin, 3200u);
  EXPECT_EQ(raw.pixels.width, RawWidth);
  EXPECT_EQ(raw.thumbnail, file.thumbnail);
  EXPECT_EQ(encodeRaw(raw), file.content);

  Bytes truncated = file.content;
  truncated.pop_back();
  EXPECT_THROW(decodeRaw(truncated), RawFormatError);
  Bytes wrongSignature = file.content;
  wrongSignature[0] = 'X';
  EXPECT_THROW(decodeRaw(wrongSignature), RawFormatError);
  Bytes hugeWidth = file.content;
  writeU32(hugeWidth, 8, 0x7FFFFFFF);
  EXPECT_THROW(decodeRaw(hugeWidth), RawFormatError);
  // Pixels that the file does not hold, with a thumbnail length that makes
  // the declared parts add up to the file's length modulo 2^32, as on a
  // 32-bit build: the file is refused as damaged, not read beyond its end.
  Bytes wrapping = file.content;
  writeU32(wrapping, 8, 8192);
  writeU32(wrapping, 12, 8192);
  const std::uint64_t declared = RawHeaderSize + 8192ULL * 8192 * 6;
  writeU32(wrapping, 32, static_cast<std::uint32_t>((1ULL << 32) + wrapping.size() - declared));
  EXPECT_THROW(decodeRaw(wrapping), RawFormatError);
}

// The length check of a RAW file with the size type of a 64-bit and of a
// 32-bit build: lengths near the end of the range do not wrap it around.
template <typename Size>
class RawLengthCheck : public testing::Test {};

using RawSizeTypes = testing::Types<std::uint32_t, std::uint64_t>;
TYPED_TEST_SUITE(RawLengthCheck, RawSizeTypes);

TYPED_TEST(RawLengthCheck, LengthsThatWouldWrapAreRefused) {
  constexpr TypeParam Header = RawHeaderSize;
  EXPECT_TRUE(rawLengthMatches<TypeParam>(Header + 600 + 30, 600, 30));
  EXPECT_FALSE(rawLengthMatches<TypeParam>(Header + 600 + 30, 600, 31));
  EXPECT_FALSE(rawLengthMatches<TypeParam>(Header + 600 + 30, 600, 29));
  EXPECT_FALSE(rawLengthMatches<TypeParam>(Header - 1, 0, 0));
  EXPECT_FALSE(rawLengthMatches<TypeParam>(Header + 10, 600, 0));
  // 40 + 600 + (2^32 - 500) is 40 + 100 in 32 bits.
  EXPECT_FALSE(rawLengthMatches<TypeParam>(Header + 100, 600, 0xFFFFFFFFu - 499u));
  EXPECT_FALSE(rawLengthMatches<TypeParam>(Header + 600, 600, 0xFFFFFFFFu));
  EXPECT_FALSE(rawLengthMatches<TypeParam>(std::numeric_limits<TypeParam>::max(),
                                           std::numeric_limits<TypeParam>::max(), 0));
}

TEST(FileFormatTest, TiffAndJpegCarryPixelsAndProfiles) {
  Rgb16Image image(3, 2);
  for (std::size_t i = 0; i < image.samples.size(); ++i) {
    image.samples[i] = static_cast<std::uint16_t>(i * 1000);
  }
  const Bytes profile = {1, 2, 3};
  const TiffContent tiff = readTiff(encodeTiff(image, profile));
  EXPECT_EQ(tiff.bitsPerSample, 16);
  EXPECT_EQ(tiff.pixels.samples, image.samples);
  EXPECT_EQ(tiff.iccProfile, profile);
  EXPECT_THROW(readTiff(Bytes{'I', 'I', 42, 0, 200, 0, 0, 0}), TiffError);

  // A profile longer than one JPEG marker is split and joined again.
  Bytes large(70000);
  for (std::size_t i = 0; i < large.size(); ++i) {
    large[i] = static_cast<std::uint8_t>(i * 7);
  }
  const Bytes jpeg = encodeJpeg(testPattern(64, 48, 5), 75, large);
  EXPECT_EQ(jpegIccProfile(jpeg), large);
  EXPECT_EQ(decodeJpeg(jpeg).width, 64);
  EXPECT_THROW(decodeJpeg(Bytes{'n', 'o', 't'}), JpegError);
}

TEST(TestPatternTest, ShowsThePictureNumber) {
  const Rgb8Image one = testPattern(PictureWidth, PictureHeight, 1);
  const Rgb8Image two = testPattern(PictureWidth, PictureHeight, 2);
  const Rgb8Image again = testPattern(PictureWidth, PictureHeight, 1);
  EXPECT_EQ(one.samples, again.samples);
  // The last digit differs; the gradient is the same but for its blue.
  int differentCentre = 0;
  for (int x = 0; x < PictureWidth; ++x) {
    differentCentre += one.at(x, 120, 0) != two.at(x, 120, 0); // red: digits only
  }
  EXPECT_GT(differentCentre, 5);
}

} // namespace
} // namespace vostrel::sim

namespace vostrel::sim {
namespace {

TEST(ShotMarkTest, AReleasedPictureNamesItsCameraAndShotInPixelsAndComment) {
  for (const ShotMark mark : {ShotMark{1420031234, 7}, ShotMark{0xFFFFFFFF, 1}, ShotMark{0, 0}}) {
    const PictureFile jpeg = makeReleasedJpegPicture(12, mark);
    EXPECT_EQ(readShotMark(decodeJpeg(jpeg.content)), mark);
    EXPECT_EQ(jpegComment(jpeg.content), shotMarkComment(mark));
    const RawPicture raw = decodeRaw(makeReleasedRawPicture(12, {}, mark).content);
    EXPECT_EQ(raw.number, 12u);
  }
  EXPECT_EQ(shotMarkComment({2001, 3}), "camera 2001 shot 3");
  // Pictures of a scenario's cards stay unmarked, and two shots differ.
  EXPECT_EQ(jpegComment(makeJpegPicture(12).content), "");
  EXPECT_NE(makeReleasedJpegPicture(12, {5, 1}).content,
            makeReleasedJpegPicture(12, {5, 2}).content);
}

} // namespace
} // namespace vostrel::sim
