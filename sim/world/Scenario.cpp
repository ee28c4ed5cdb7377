#include "sim/world/Scenario.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <initializer_list>
#include <limits>
#include <set>
#include <utility>
#include <vector>

namespace vostrel::sim {

namespace {

using Json = nlohmann::json;

constexpr std::size_t MaximumRangeValues = 4096;
constexpr std::int64_t MaximumPictureNumber = 9999;

// A JSON value with its place in the scenario, for error messages.
class Node {
public:
  Node(const Json& json, std::string path) : json_(json), path_(std::move(path)) {}

  const Json& json() const { return json_; }
  const std::string& path() const { return path_; }

  [[noreturn]] void fail(const std::string& problem) const {
    throw ScenarioError(path_.empty() ? "scenario: " + problem
                                      : "scenario " + path_ + ": " + problem);
  }

  Node member(const std::string& key) const {
    if (!json_.is_object() || !json_.contains(key)) {
      fail("needs \"" + key + "\"");
    }
    return {json_.at(key), path_ + "." + key};
  }
  Node element(std::size_t index) const {
    if (!json_.is_array() || index >= json_.size()) {
      fail("has no element " + std::to_string(index));
    }
    return {json_.at(index), path_ + "[" + std::to_string(index) + "]"};
  }
  bool has(const std::string& key) const { return json_.contains(key); }

  void requireObject(std::initializer_list<const char*> keys,
                     std::initializer_list<const char*> ignoredKeys = {}) const {
    if (!json_.is_object()) {
      fail("must be an object");
    }
    for (const auto& item : json_.items()) {
      const auto matches = [&](const char* key) { return item.key() == key; };
      if (std::none_of(keys.begin(), keys.end(), matches) &&
          std::none_of(ignoredKeys.begin(), ignoredKeys.end(), matches)) {
        fail("unknown key \"" + item.key() + "\"");
      }
    }
  }

  void requireArray() const {
    if (!json_.is_array()) {
      fail("must be an array");
    }
  }

  std::string text() const {
    if (!json_.is_string()) {
      fail("must be a text");
    }
    return json_.get<std::string>();
  }

  bool boolean() const {
    if (!json_.is_boolean()) {
      fail("must be true or false");
    }
    return json_.get<bool>();
  }

  std::int64_t integer(std::int64_t minimum, std::int64_t maximum) const {
    if (!json_.is_number_integer()) {
      fail("must be a whole number");
    }
    if (json_.is_number_unsigned() &&
        json_.get<std::uint64_t>() > static_cast<std::uint64_t>(maximum)) {
      fail("must be at most " + std::to_string(maximum));
    }
    const std::int64_t value = json_.get<std::int64_t>();
    if (value < minimum || value > maximum) {
      fail("must be between " + std::to_string(minimum) + " and " + std::to_string(maximum));
    }
    return value;
  }

  std::uint32_t u32() const {
    return static_cast<std::uint32_t>(integer(0, std::numeric_limits<std::uint32_t>::max()));
  }
  std::int32_t i32() const {
    return static_cast<std::int32_t>(integer(std::numeric_limits<std::int32_t>::min(),
                                             std::numeric_limits<std::int32_t>::max()));
  }
  // A 32-bit value given signed or unsigned (-1 and 4294967295 are the same).
  std::uint32_t word() const {
    return static_cast<std::uint32_t>(integer(std::numeric_limits<std::int32_t>::min(),
                                              std::numeric_limits<std::uint32_t>::max()));
  }

private:
  const Json& json_;
  std::string path_;
};

std::string upper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return text;
}

std::string extensionOf(const std::string& name) {
  const auto dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : upper(name.substr(dot));
}

// The last run of digits in a file name, at most its last four ("IMG_0012.JPG"
// gives 12, "IMG_12345.JPG" 2345), or 0: picture numbers have four digits.
std::uint32_t numberInName(const std::string& name) {
  constexpr auto NumberLimit = static_cast<std::uint32_t>(MaximumPictureNumber + 1);
  std::uint32_t number = 0;
  bool inDigits = false;
  for (char c : name) {
    if (std::isdigit(static_cast<unsigned char>(c)) != 0) {
      const auto digit = static_cast<std::uint32_t>(c - '0');
      number = inDigits ? (number * 10 + digit) % NumberLimit : digit;
      inDigits = true;
    } else if (c == '.') {
      break;
    } else {
      inDigits = false;
    }
  }
  return number;
}

// Builds the document as the library's own parser does, and keeps track of
// where in the scenario it is, so that a value the library refuses (a number
// too large for a double, such as 1e400) is reported at its place.
class PlaceKeepingBuilder {
public:
  explicit PlaceKeepingBuilder(Json& root) : root_(root) {}

  bool null() { return put(nullptr); }
  bool boolean(bool value) { return put(value); }
  bool number_integer(Json::number_integer_t value) { return put(value); }
  bool number_unsigned(Json::number_unsigned_t value) { return put(value); }
  bool number_float(Json::number_float_t value, const Json::string_t& /*text*/) {
    return put(value);
  }
  bool string(Json::string_t& value) { return put(std::move(value)); }
  bool binary(Json::binary_t& value) { return put(Json::binary(std::move(value))); }

  bool start_object(std::size_t /*size*/) { return open(Json::object(), false); }
  bool key(Json::string_t& name) {
    levels_.back().key = name;
    return true;
  }
  bool end_object() { return close(); }
  bool start_array(std::size_t /*size*/) { return open(Json::array(), true); }
  bool end_array() { return close(); }

  bool parse_error(std::size_t /*position*/, const std::string& token,
                   const Json::exception& error) {
    if (error.id == NumberOverflowId) {
      throw ScenarioError(placeText() + ": the number " + token + " is too large");
    }
    throw ScenarioError(std::string("scenario is not valid JSON: ") + error.what());
  }

private:
  // The library's code for a number that does not fit a double.
  static constexpr int NumberOverflowId = 406;

  struct Level {
    Json* container;
    bool isArray;
    std::size_t nextIndex = 0; // arrays: the index of the next element
    std::string key;           // objects: the key of the value being read
  };

  // Adds a value to the container being read, or makes it the root.
  Json* add(Json value) {
    if (levels_.empty()) {
      root_ = std::move(value);
      return &root_;
    }
    Level& level = levels_.back();
    if (level.isArray) {
      ++level.nextIndex;
      level.container->push_back(std::move(value));
      return &level.container->back();
    }
    Json& slot = (*level.container)[level.key];
    slot = std::move(value);
    return &slot;
  }

  template <typename Value>
  bool put(Value&& value) {
    add(Json(std::forward<Value>(value)));
    return true;
  }

  bool open(Json container, bool isArray) {
    Json* added = add(std::move(container));
    levels_.push_back({added, isArray});
    return true;
  }

  bool close() {
    levels_.pop_back();
    return true;
  }

  // "scenario eos.cameras[0].battery": the value about to be read.
  std::string placeText() const {
    std::string path;
    for (std::size_t i = 0; i < levels_.size(); ++i) {
      const Level& level = levels_[i];
      const bool innermost = i + 1 == levels_.size();
      if (level.isArray) {
        // An outer array is inside its last element, the innermost one at
        // the element about to be read.
        const std::size_t index = innermost ? level.nextIndex : level.nextIndex - 1;
        path += "[" + std::to_string(index) + "]";
      } else {
        path += (path.empty() ? "" : ".") + level.key;
      }
    }
    return path.empty() ? "scenario" : "scenario " + path;
  }

  Json& root_;
  std::vector<Level> levels_;
};

// ---------------------------------------------------------------------------
// Property values

Bytes readValue(const Node& node, const Property& property) {
  switch (property.kind) {
  case ValueKind::Signed:
  case ValueKind::Unsigned:
    return u32Bytes(node.word());
  case ValueKind::Text: {
    const std::string text = node.text();
    if (text.size() + 1 > property.capacity) {
      node.fail("text longer than " + std::to_string(property.capacity - 1) + " characters");
    }
    return textBytes(text);
  }
  case ValueKind::SignedArray: {
    node.requireArray();
    const std::size_t count = property.value.size() / 4;
    if (count != 0 && node.json().size() != count) {
      node.fail("must hold " + std::to_string(count) + " values");
    }
    if (node.json().empty()) {
      node.fail("must hold at least one value");
    }
    Bytes bytes;
    for (std::size_t i = 0; i < node.json().size(); ++i) {
      appendU32(bytes, node.element(i).word());
    }
    return bytes;
  }
  }
  return {};
}

Json writeValue(const Bytes& bytes, ValueKind kind) {
  switch (kind) {
  case ValueKind::Signed:
    return static_cast<std::int32_t>(readU32(bytes, 0));
  case ValueKind::Unsigned:
    return readU32(bytes, 0);
  case ValueKind::Text:
    return bytesText(bytes);
  case ValueKind::SignedArray: {
    Json values = Json::array();
    for (std::size_t offset = 0; offset + 4 <= bytes.size(); offset += 4) {
      values.push_back(static_cast<std::int32_t>(readU32(bytes, offset)));
    }
    return values;
  }
  }
  return nullptr;
}

std::vector<Bytes> readValueList(const Node& node, const Property& property) {
  std::vector<Bytes> values;
  if (node.json().is_object()) {
    node.requireObject({"min", "max", "step"});
    if (property.kind != ValueKind::Signed && property.kind != ValueKind::Unsigned) {
      node.fail("a range needs a numeric property");
    }
    const std::int64_t minimum = node.member("min").i32();
    const std::int64_t maximum = node.member("max").i32();
    const std::int64_t step = node.has("step") ? node.member("step").integer(1, 1 << 30) : 1;
    if (maximum < minimum ||
        (maximum - minimum) / step >= static_cast<std::int64_t>(MaximumRangeValues)) {
      node.fail("range must run upwards and hold at most " + std::to_string(MaximumRangeValues) +
                " values");
    }
    for (std::int64_t value = minimum; value <= maximum; value += step) {
      values.push_back(u32Bytes(static_cast<std::uint32_t>(value)));
    }
    return values;
  }
  node.requireArray();
  for (std::size_t i = 0; i < node.json().size(); ++i) {
    values.push_back(readValue(node.element(i), property));
  }
  return values;
}

Property newProperty(const Node& node, const CameraFamily& family) {
  const Json& value = node.json().is_object() ? node.json().value("value", Json()) : node.json();
  Property property;
  if (value.is_string()) {
    property.kind = ValueKind::Text;
    property.capacity = std::max<std::size_t>(32, value.get<std::string>().size() + 1);
  } else if (value.is_array()) {
    property.kind = ValueKind::SignedArray;
  } else if (value.is_number_integer()) {
    property.kind = value.get<std::int64_t>() < 0 ? ValueKind::Signed : ValueKind::Unsigned;
    property.value = u32Bytes(0);
  } else {
    node.fail("a property the camera does not know needs a value");
  }
  property.dataType = family.dataTypeFor(property.kind);
  return property;
}

void readProperty(const Node& node, Property& property) {
  if (!node.json().is_object()) {
    property.value = readValue(node, property);
    return;
  }
  node.requireObject({"value", "accepted", "ignored", "readBack", "refuseWith", "writable",
                      "capacity", "enumerable"});
  if (node.has("capacity")) {
    if (property.kind != ValueKind::Text) {
      node.fail("only a text property has a capacity");
    }
    property.capacity = static_cast<std::size_t>(node.member("capacity").integer(1, 65536));
  }
  if (node.has("value")) {
    property.value = readValue(node.member("value"), property);
  }
  if (node.has("accepted")) {
    property.accepted = node.member("accepted").json().is_null()
                            ? std::nullopt
                            : std::optional(readValueList(node.member("accepted"), property));
  }
  if (node.has("ignored")) {
    property.ignored = readValueList(node.member("ignored"), property);
  }
  if (node.has("readBack")) {
    const std::string mode = node.member("readBack").text();
    if (mode != "asWritten" && mode != "unchanged") {
      node.member("readBack").fail("must be \"asWritten\" or \"unchanged\"");
    }
    property.readBackAsWritten = mode == "asWritten";
  }
  if (node.has("refuseWith")) {
    property.refusal = node.member("refuseWith").u32();
  }
  if (node.has("writable")) {
    property.writable = node.member("writable").boolean();
  }
  if (node.has("enumerable")) {
    property.enumerable = node.member("enumerable").boolean();
  }
  if (property.kind == ValueKind::Text && property.value.size() > property.capacity) {
    node.fail("value longer than the capacity");
  }
}

std::uint32_t propertyIdOf(const Node& node, const std::string& name, const CameraFamily& family) {
  if (name.size() > 2 && name[0] == '0' && (name[1] == 'x' || name[1] == 'X')) {
    try {
      std::size_t used = 0;
      const unsigned long id = std::stoul(name.substr(2), &used, 16);
      if (used == name.size() - 2 && id <= std::numeric_limits<std::uint32_t>::max()) {
        return static_cast<std::uint32_t>(id);
      }
    } catch (const std::exception&) {
    }
    node.fail("\"" + name + "\" is not a hexadecimal property identifier");
  }
  if (const auto id = family.propertyId(name)) {
    return *id;
  }
  node.fail("unknown property \"" + name + "\"");
}

void readProperties(const Node& node, Camera& camera, const CameraFamily& family) {
  if (!node.json().is_object()) {
    node.fail("must be an object");
  }
  for (const auto& item : node.json().items()) {
    const Node entry = node.member(item.key());
    const std::uint32_t id = propertyIdOf(entry, item.key(), family);
    if (entry.json().is_null()) {
      camera.properties.erase(id);
      continue;
    }
    auto found = camera.properties.find(id);
    if (found == camera.properties.end()) {
      found = camera.properties.emplace(id, newProperty(entry, family)).first;
    }
    readProperty(entry, found->second);
  }
}

// ---------------------------------------------------------------------------
// Cards

CameraClock readClock(const Node& node) {
  CameraClock clock;
  const std::string text = node.text();
  int used = 0;
  const int fields =
      std::sscanf(text.c_str(), "%4u-%2u-%2uT%2u:%2u:%2u%n", &clock.year, &clock.month, &clock.day,
                  &clock.hour, &clock.minute, &clock.second, &used);
  std::size_t end = static_cast<std::size_t>(used);
  if (fields == 6 && end < text.size() && text[end] == '.') {
    int fraction = 0;
    if (std::sscanf(text.c_str() + end, ".%3u%n", &clock.millisecond, &fraction) == 1) {
      end += static_cast<std::size_t>(fraction);
    }
  }
  if (fields != 6 || end != text.size() || !clock.valid()) {
    node.fail(
        "must be a date and time like \"2024-05-01T09:30:00\" or \"2024-05-01T09:30:00.250\"");
  }
  return clock;
}

std::string writeClock(const CameraClock& clock) {
  char text[40];
  std::snprintf(text, sizeof(text), "%04u-%02u-%02uT%02u:%02u:%02u.%03u", clock.year, clock.month,
                clock.day, clock.hour, clock.minute, clock.second, clock.millisecond);
  return text;
}

FileKind kindByName(const Node& node, const std::string& kind) {
  if (kind == "jpeg") {
    return FileKind::Jpeg;
  }
  if (kind == "raw") {
    return FileKind::Raw;
  }
  if (kind == "data") {
    return FileKind::Data;
  }
  node.fail("must be \"jpeg\", \"raw\" or \"data\"");
}

const char* kindName(FileKind kind) {
  switch (kind) {
  case FileKind::Jpeg:
    return "jpeg";
  case FileKind::Raw:
    return "raw";
  case FileKind::Data:
    return "data";
  case FileKind::Folder:
    break;
  }
  return "folder";
}

ThumbnailStream thumbnailStreamByName(const Node& node) {
  const std::string name = node.text();
  if (name == "plain") {
    return ThumbnailStream::Plain;
  }
  if (name == "endless") {
    return ThumbnailStream::Endless;
  }
  if (name == "endlessHuge") {
    return ThumbnailStream::EndlessHuge;
  }
  node.fail("must be \"plain\", \"endless\" or \"endlessHuge\"");
}

const char* thumbnailStreamName(ThumbnailStream stream) {
  switch (stream) {
  case ThumbnailStream::Endless:
    return "endless";
  case ThumbnailStream::EndlessHuge:
    return "endlessHuge";
  case ThumbnailStream::Plain:
    break;
  }
  return "plain";
}

void readFile(const Node& node, Volume& volume, const CameraFamily& family) {
  const bool detailed = node.json().is_object();
  if (detailed) {
    node.requireObject({"path", "kind", "number", "text", "whiteBalance", "kelvin",
                        "supportedWhiteBalances", "thumbnailStream", "reportedName"},
                       {"size"});
  }
  const std::string path = detailed ? node.member("path").text() : node.text();
  auto parts = splitPath(path);
  if (parts.empty()) {
    node.fail("a file needs a name");
  }
  const std::string name = parts.back();
  parts.pop_back();
  std::string folderPath;
  for (const auto& part : parts) {
    folderPath += part + "/";
  }
  if (findEntry(volume, path)) {
    node.fail("\"" + path + "\" is on the card twice");
  }

  auto file = std::make_shared<Entry>();
  file->name = name;
  const std::string extension = extensionOf(name);
  file->kind = extension == ".JPG" || extension == ".JPEG" ? FileKind::Jpeg
               : extension == upper(family.rawExtension()) ? FileKind::Raw
                                                           : FileKind::Data;
  file->number = numberInName(name);
  RawShot shot = family.defaultRawShot();
  std::string text;
  if (detailed) {
    if (node.has("kind")) {
      file->kind = kindByName(node.member("kind"), node.member("kind").text());
    }
    if (node.has("number")) {
      file->number =
          static_cast<std::uint32_t>(node.member("number").integer(0, MaximumPictureNumber));
    }
    if (node.has("text")) {
      text = node.member("text").text();
    }
    if (node.has("thumbnailStream")) {
      file->thumbnailStream = thumbnailStreamByName(node.member("thumbnailStream"));
    }
    if (node.has("reportedName")) {
      file->reportedName = node.member("reportedName").text();
    }
    if (node.has("whiteBalance")) {
      shot.whiteBalance = node.member("whiteBalance").u32();
    }
    if (node.has("kelvin")) {
      shot.kelvin = static_cast<std::uint32_t>(node.member("kelvin").integer(2000, 12000));
    }
    if (node.has("supportedWhiteBalances")) {
      shot.supportedWhiteBalances = 0;
      const Node list = node.member("supportedWhiteBalances");
      list.requireArray();
      for (std::size_t i = 0; i < list.json().size(); ++i) {
        shot.supportedWhiteBalances |= 1u << list.element(i).integer(0, 31);
      }
    }
  }
  switch (file->kind) {
  case FileKind::Jpeg: {
    PictureFile picture = makeJpegPicture(file->number);
    file->content = std::move(picture.content);
    file->thumbnail = std::move(picture.thumbnail);
    break;
  }
  case FileKind::Raw: {
    PictureFile picture = makeRawPicture(file->number, shot);
    file->content = std::move(picture.content);
    file->thumbnail = std::move(picture.thumbnail);
    break;
  }
  default:
    file->content.assign(text.begin(), text.end());
    break;
  }
  addChild(ensureFolder(volume, folderPath), file);
}

Volume readVolume(const Node& node, const CameraFamily& family) {
  node.requireObject({"label", "capacityKilobytes", "folders", "files"});
  Volume volume;
  if (node.has("label")) {
    volume.label = node.member("label").text();
  }
  if (node.has("capacityKilobytes")) {
    volume.capacityKilobytes = node.member("capacityKilobytes").u32();
  }
  if (node.has("folders")) {
    const Node folders = node.member("folders");
    folders.requireArray();
    for (std::size_t i = 0; i < folders.json().size(); ++i) {
      ensureFolder(volume, folders.element(i).text());
    }
  }
  if (node.has("files")) {
    const Node files = node.member("files");
    files.requireArray();
    for (std::size_t i = 0; i < files.json().size(); ++i) {
      readFile(files.element(i), volume, family);
    }
  }
  return volume;
}

// The folders that hold no folder of their own: reading them back creates
// every folder above them, in the same order, while a path 50 000 folders
// deep is written once rather than once per folder.
Json innermostFolders(const Volume& volume) {
  Json folders = Json::array();
  forEachFolder(*volume.root, [&](const std::string& path, const Entry& folder) {
    const bool holdsFolders = std::any_of(folder.children.begin(), folder.children.end(),
                                          [](const auto& child) { return child->isFolder(); });
    if (!holdsFolders) {
      folders.push_back(path);
    }
  });
  return folders;
}

Json writeVolume(const Volume& volume) {
  const Json folders = innermostFolders(volume);
  Json files = Json::array();
  forEachFile(*volume.root, [&](const std::string& path, const Entry& file) {
    Json entry = {{"path", path},
                  {"kind", kindName(file.kind)},
                  {"number", file.number},
                  {"size", file.content.size()}};
    if (file.kind == FileKind::Data) {
      entry["text"] = std::string(file.content.begin(), file.content.end());
    }
    if (file.thumbnailStream != ThumbnailStream::Plain) {
      entry["thumbnailStream"] = thumbnailStreamName(file.thumbnailStream);
    }
    if (!file.reportedName.empty()) {
      entry["reportedName"] = file.reportedName;
    }
    files.push_back(entry);
  });
  return {{"label", volume.label},
          {"capacityKilobytes", volume.capacityKilobytes},
          {"folders", folders},
          {"files", files}};
}

// ---------------------------------------------------------------------------
// Cameras

ViewfinderFormat readViewfinder(const Node& node) {
  node.requireObject({"width", "height", "framesPerSecond", "quality"},
                     {"framesSent", "framesDropped"});
  ViewfinderFormat format;
  if (node.has("width")) {
    format.width = static_cast<int>(node.member("width").integer(16, 4096));
  }
  if (node.has("height")) {
    format.height = static_cast<int>(node.member("height").integer(16, 4096));
  }
  if (node.has("framesPerSecond")) {
    format.framesPerSecond = static_cast<int>(node.member("framesPerSecond").integer(1, 1000));
  }
  if (node.has("quality")) {
    format.quality = static_cast<int>(node.member("quality").integer(1, 100));
  }
  return format;
}

Json writeViewfinder(const Camera& camera) {
  return {{"width", camera.viewfinder.width},
          {"height", camera.viewfinder.height},
          {"framesPerSecond", camera.viewfinder.framesPerSecond},
          {"quality", camera.viewfinder.quality},
          {"framesSent", camera.viewfinderFramesSent},
          {"framesDropped", camera.viewfinderFramesDropped}};
}

std::uint32_t highestPictureNumber(const Camera& camera) {
  std::uint32_t highest = 0;
  for (const Volume& volume : camera.volumes) {
    forEachFile(*volume.root, [&](const std::string&, const Entry& file) {
      highest = std::max(highest, file.number);
    });
  }
  return highest;
}

std::size_t fileCount(const Camera& camera) {
  std::size_t count = 0;
  for (const Volume& volume : camera.volumes) {
    count += countFiles(*volume.root);
  }
  return count;
}

Camera readCamera(const Node& node, std::size_t index, const CameraFamily& family) {
  node.requireObject({"model", "owner", "port", "bodyId", "battery", "clock", "availableShots",
                      "shotsOnEmptyCard", "captureFolder", "filePrefix", "nextFileNumber",
                      "attached", "volumes", "properties", "operations", "viewfinder",
                      "unplugDuring"},
                     {"sessionOpen", "keepAwakeCount", "releaseCount", "lastReleaseNanoseconds"});
  Camera camera = family.defaultCamera(index);
  if (!node.has("model")) {
    node.fail("a camera needs a \"model\"");
  }
  camera.model = node.member("model").text();
  if (camera.model.size() > 255) {
    node.member("model").fail("must be at most 255 characters");
  }
  if (node.has("owner")) {
    camera.owner = node.member("owner").text();
  }
  if (node.has("port")) {
    camera.port = node.member("port").text();
  }
  if (node.has("bodyId")) {
    camera.bodyId = node.member("bodyId").u32();
  }
  if (node.has("battery")) {
    camera.battery = node.member("battery").u32();
  }
  if (node.has("clock")) {
    camera.clock = readClock(node.member("clock"));
  }
  if (node.has("captureFolder")) {
    camera.captureFolder = node.member("captureFolder").text();
  }
  if (node.has("filePrefix")) {
    camera.filePrefix = node.member("filePrefix").text();
  }
  if (node.has("attached")) {
    camera.attached = node.member("attached").boolean();
  }
  if (node.has("volumes")) {
    const Node volumes = node.member("volumes");
    volumes.requireArray();
    camera.volumes.clear();
    for (std::size_t i = 0; i < volumes.json().size(); ++i) {
      camera.volumes.push_back(readVolume(volumes.element(i), family));
    }
  }
  if (node.has("properties")) {
    readProperties(node.member("properties"), camera, family);
  }
  if (node.has("viewfinder")) {
    camera.viewfinder = readViewfinder(node.member("viewfinder"));
  }
  if (node.has("operations")) {
    const Node operations = node.member("operations");
    operations.requireArray();
    camera.operations.clear();
    for (std::size_t i = 0; i < operations.json().size(); ++i) {
      camera.operations.push_back(
          static_cast<std::uint16_t>(operations.element(i).integer(0, 0xFFFF)));
    }
  }
  camera.nextFileNumber =
      node.has("nextFileNumber")
          ? static_cast<std::uint32_t>(node.member("nextFileNumber").integer(1, 9999))
          : highestPictureNumber(camera) % 9999 + 1;
  if (node.has("availableShots")) {
    camera.availableShots =
        static_cast<std::int32_t>(node.member("availableShots").integer(0, 1000000));
  }
  camera.shotsOnEmptyCard =
      node.has("shotsOnEmptyCard")
          ? static_cast<std::int32_t>(node.member("shotsOnEmptyCard").integer(0, 1000000))
          : camera.availableShots + static_cast<std::int32_t>(fileCount(camera));
  return camera;
}

Json writeProperty(const Property& property) {
  Json json = {{"value", writeValue(property.value, property.kind)}};
  if (property.accepted) {
    Json accepted = Json::array();
    for (const Bytes& value : *property.accepted) {
      accepted.push_back(writeValue(value, property.kind));
    }
    json["accepted"] = accepted;
  }
  if (!property.ignored.empty()) {
    Json ignored = Json::array();
    for (const Bytes& value : property.ignored) {
      ignored.push_back(writeValue(value, property.kind));
    }
    json["ignored"] = ignored;
  }
  if (!property.readBackAsWritten) {
    json["readBack"] = "unchanged";
  }
  if (property.refusal != 0) {
    json["refuseWith"] = property.refusal;
  }
  if (!property.writable) {
    json["writable"] = false;
  }
  if (!property.enumerable) {
    json["enumerable"] = false;
  }
  if (property.kind == ValueKind::Text) {
    json["capacity"] = property.capacity;
  }
  return json;
}

Json writeCamera(const Camera& camera, std::size_t index, const CameraFamily& family) {
  Json volumes = Json::array();
  for (const Volume& volume : camera.volumes) {
    volumes.push_back(writeVolume(volume));
  }
  Json properties = Json::object();
  for (const auto& [id, property] : camera.properties) {
    properties[family.propertyName(id)] = writeProperty(property);
  }
  // A default property that the camera lacks is written as null: left out,
  // it would come back when the description is read.
  for (const auto& [id, property] : family.defaultCamera(index).properties) {
    if (!camera.properties.contains(id)) {
      properties[family.propertyName(id)] = nullptr;
    }
  }
  Json json = {{"model", camera.model},
               {"owner", camera.owner},
               {"port", camera.port},
               {"bodyId", camera.bodyId},
               {"battery", camera.battery},
               {"clock", writeClock(camera.clock)},
               {"availableShots", camera.availableShots},
               {"shotsOnEmptyCard", camera.shotsOnEmptyCard},
               {"captureFolder", camera.captureFolder},
               {"filePrefix", camera.filePrefix},
               {"nextFileNumber", camera.nextFileNumber},
               {"attached", camera.attached},
               {"volumes", volumes},
               {"properties", properties},
               {"sessionOpen", camera.sessionOpen},
               {"keepAwakeCount", camera.keepAwakeCount},
               {"releaseCount", camera.releaseCount},
               {"lastReleaseNanoseconds", camera.lastReleaseNanoseconds},
               {"viewfinder", writeViewfinder(camera)}};
  if (!camera.operations.empty()) {
    json["operations"] = camera.operations;
  }
  return json;
}

// "unplugDuring": {"entryPoint": "EdsDownload", "calls": 1}: the camera
// comes unplugged in the middle of the second call of the entry point.
Unplugging readUnplugging(const Node& node, std::size_t camera) {
  node.requireObject({"entryPoint", "calls"});
  Unplugging unplugging;
  unplugging.camera = static_cast<std::int32_t>(camera);
  unplugging.entryPoint = node.member("entryPoint").text();
  if (unplugging.entryPoint.empty()) {
    node.member("entryPoint").fail("must name an entry point");
  }
  if (node.has("calls")) {
    unplugging.calls = node.member("calls").u32();
  }
  return unplugging;
}

} // namespace

World parseScenario(const std::string& jsonText, const CameraFamily& family) {
  Json root;
  PlaceKeepingBuilder builder(root);
  Json::sax_parse(jsonText, &builder);
  const Node top(root, "");
  if (!root.is_object()) {
    top.fail("must be an object with one section per camera library");
  }
  World world;
  const std::string section = family.section();
  if (!root.contains(section)) {
    return world;
  }
  const Node node(root.at(section), section);
  node.requireObject({"synchronousCallbacks", "cameras"});
  if (node.has("synchronousCallbacks")) {
    world.synchronousCallbacks = node.member("synchronousCallbacks").boolean();
  }
  if (node.has("cameras")) {
    const Node cameras = node.member("cameras");
    cameras.requireArray();
    for (std::size_t i = 0; i < cameras.json().size(); ++i) {
      const Node camera = cameras.element(i);
      world.cameras.push_back(std::make_shared<Camera>(readCamera(camera, i, family)));
      if (camera.has("unplugDuring")) {
        world.unpluggings.push_back(readUnplugging(camera.member("unplugDuring"), i));
      }
    }
  }
  return world;
}

std::string describeWorld(const World& world, const CameraFamily& family) {
  Json cameras = Json::array();
  for (std::size_t i = 0; i < world.cameras.size(); ++i) {
    cameras.push_back(writeCamera(*world.cameras[i], i, family));
  }
  const Json root = {
      {family.section(),
       {{"synchronousCallbacks", world.synchronousCallbacks}, {"cameras", cameras}}}};
  return root.dump(2, ' ', false, Json::error_handler_t::replace);
}

} // namespace vostrel::sim
