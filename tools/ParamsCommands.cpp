// params get|set|save|load|supported: the shooting parameters in remote mode.
// Setting and loading read the values back and name those the camera did not
// take. What a value means depends on the family of the camera (see
// ParamValues), so the tables are chosen once the camera is connected.

#include "activex/RemoteParamFields.h"
#include "core/RemoteParamsFile.h"
#include "platform/FileSystem.h"
#include "tools/CameraSession.h"
#include "tools/Commands.h"
#include "tools/JsonOutput.h"
#include "tools/ParamNames.h"
#include "tools/ParamValues.h"
#include "tools/TextTools.h"
#include "tools/ToolError.h"

#include <algorithm>
#include <functional>
#include <iostream>
#include <string>
#include <system_error>
#include <vector>

namespace vostrel::tools {

namespace {

// A parameter as the user names it: a plain kind ("ISO"), or one field of
// the picture style or white-balance shift group ("PictureStyle.Contrast").
struct ParamField {
  enum class Group { Plain, PictureStyle, WhitebalanceShift };
  Group FieldGroup = Group::Plain;
  std::int32_t Kind = 0;
  std::string Name;
};

constexpr const char* PictureStylePrefix = "PictureStyle.";
constexpr const char* WhitebalanceShiftPrefix = "WhiteBalanceShift.";

const std::vector<ParamName>& NamesOf(ParamField::Group group) {
  switch (group) {
  case ParamField::Group::PictureStyle:
    return PictureStyleNames();
  case ParamField::Group::WhitebalanceShift:
    return WhitebalanceShiftNames();
  default:
    return RemoteParamNames();
  }
}

std::string PrefixOf(ParamField::Group group) {
  switch (group) {
  case ParamField::Group::PictureStyle:
    return PictureStylePrefix;
  case ParamField::Group::WhitebalanceShift:
    return WhitebalanceShiftPrefix;
  default:
    return {};
  }
}

ParamField FieldOf(ParamField::Group group, std::int32_t kind) {
  for (const ParamName& name : NamesOf(group)) {
    if (name.Kind == kind) {
      return {group, kind, PrefixOf(group) + name.Name};
    }
  }
  return {group, kind, PrefixOf(group) + std::to_string(kind)};
}

// The field a name stands for; the bare group names PictureStyle and
// WhiteBalanceShift stand for the group's kind.
std::optional<ParamField> FindField(const std::string& text) {
  const std::string lower = Lowercase(text);
  for (const ParamField::Group group :
       {ParamField::Group::PictureStyle, ParamField::Group::WhitebalanceShift}) {
    const std::string prefix = Lowercase(PrefixOf(group));
    if (lower.rfind(prefix, 0) == 0) {
      if (const auto kind = FindParamKind(NamesOf(group), text.substr(prefix.size()))) {
        return FieldOf(group, *kind);
      }
      return std::nullopt;
    }
  }
  if (const auto kind = FindParamKind(RemoteParamNames(), text)) {
    return FieldOf(ParamField::Group::Plain, *kind);
  }
  return std::nullopt;
}

std::vector<ParamField> AllFields();

std::string JoinNames(const std::vector<ParamField>& fields) {
  std::string names;
  for (const ParamField& field : fields) {
    names += (names.empty() ? "" : ", ") + field.Name;
  }
  return names;
}

bool IsGroupKind(const ParamField& field) {
  return field.FieldGroup == ParamField::Group::Plain &&
         (field.Kind == RemoteParamPictureStyle || field.Kind == RemoteParamWhiteBalanceShift);
}

// A group has no value of its own: the user names one of its fields.
void RefuseGroup(const ParamField& field) {
  if (!IsGroupKind(field)) {
    return;
  }
  const ParamField::Group group = field.Kind == RemoteParamPictureStyle
                                      ? ParamField::Group::PictureStyle
                                      : ParamField::Group::WhitebalanceShift;
  std::vector<ParamField> fields;
  for (const ParamName& name : NamesOf(group)) {
    fields.push_back(FieldOf(group, name.Kind));
  }
  throw ToolError(field.Name + " is a group of fields; name one of them: " + JoinNames(fields));
}

// A parameter with a value of its own, as get and set take it.
ParamField ParseField(const std::string& text) {
  const std::optional<ParamField> field = FindField(text);
  if (!field) {
    throw ToolError("Unknown parameter " + text + "; the parameters are " + JoinNames(AllFields()));
  }
  RefuseGroup(*field);
  return *field;
}

// Every field with a value of its own, in the order of the names.
std::vector<ParamField> AllFields() {
  std::vector<ParamField> fields;
  for (const ParamName& name : RemoteParamNames()) {
    if (name.Kind != RemoteParamWhiteBalanceShift && name.Kind != RemoteParamPictureStyle) {
      fields.push_back(FieldOf(ParamField::Group::Plain, name.Kind));
    }
  }
  for (const ParamField::Group group :
       {ParamField::Group::WhitebalanceShift, ParamField::Group::PictureStyle}) {
    for (const ParamName& name : NamesOf(group)) {
      fields.push_back(FieldOf(group, name.Kind));
    }
  }
  return fields;
}

// The connected camera, with the family whose tables give its values'
// meanings. Which values it accepts is known once it has been probed; a
// command that did not probe it does so when it has to refuse a value, so
// that the refusal lists what this camera takes.
struct Camera {
  TVostrelActiveX& Control;
  CameraFamily Family;
  // Probes the camera in remote mode unless it has been probed.
  std::function<void()> EnsureProbed;
};

// Whether the camera's list of accepted values tells what a value of the
// field may be: the plain kinds with coded values.
bool HasAcceptedValues(const ValueTable& table, const ParamField& field) {
  return field.FieldGroup == ParamField::Group::Plain &&
         field.Kind != RemoteParamWhiteBalanceKelvin &&
         table.ValueStyle() == ValueTable::Style::Coded;
}

const ValueTable& TableOf(const ParamField& field, CameraFamily family) {
  switch (field.FieldGroup) {
  case ParamField::Group::PictureStyle:
    return PictureStyleValues(field.Kind);
  case ParamField::Group::WhitebalanceShift:
    return WhitebalanceShiftValues(field.Kind);
  default:
    return RemoteParamValues(field.Kind, family);
  }
}

std::int32_t ReadField(TVostrelActiveX& control, const ParamField& field) {
  switch (field.FieldGroup) {
  case ParamField::Group::PictureStyle:
    return control.RemoteGetRemoteParams_PictureStyle(field.Kind);
  case ParamField::Group::WhitebalanceShift:
    return control.RemoteGetRemoteParams_WhitebalanceShift(field.Kind);
  default:
    return control.RemoteGetRemoteParams(field.Kind);
  }
}

// A group is set as a whole: the fields not given keep the camera's values.
void WriteGroupField(TVostrelActiveX& control, const ParamField& field, std::int32_t value) {
  std::vector<std::int32_t> values;
  for (const ParamName& name : NamesOf(field.FieldGroup)) {
    values.push_back(
        name.Kind == field.Kind ? value : ReadField(control, FieldOf(field.FieldGroup, name.Kind)));
  }
  const auto small = [&](std::size_t kind) { return static_cast<std::int16_t>(values[kind]); };
  if (field.FieldGroup == ParamField::Group::WhitebalanceShift) {
    control.RemoteSetRemoteParams_WhitebalanceShift(
        values[RemoteParamWhitebalanceShiftWBShiftEnabled] != 0,
        small(RemoteParamWhitebalanceShiftAmberBlue),
        small(RemoteParamWhitebalanceShiftGreenMagenta));
    return;
  }
  control.RemoteSetRemoteParams_PictureStyle(
      values[RemoteParamPictureStyleEnabled] != 0, small(RemoteParamPictureStyleContrast),
      small(RemoteParamPictureStyleSharpness), small(RemoteParamPictureStyleSaturation),
      values[RemoteParamPictureStyleSaturationUsed] != 0, small(RemoteParamPictureStyleColorTone),
      values[RemoteParamPictureStyleColorToneUsed] != 0,
      values[RemoteParamPictureStyleMonochromeFilter],
      values[RemoteParamPictureStyleMonochromeFilterUsed] != 0,
      values[RemoteParamPictureStyleMonochromeTone],
      values[RemoteParamPictureStyleMonochromeToneUsed] != 0);
}

void WriteField(TVostrelActiveX& control, const ParamField& field, std::int32_t value) {
  if (field.FieldGroup == ParamField::Group::Plain) {
    control.RemoteSetRemoteParams(field.Kind, value);
  } else {
    WriteGroupField(control, field, value);
  }
}

struct Assignment {
  ParamField Field;
  std::int32_t Value;
};

// The values of a plain kind that the connected camera accepts (empty when
// the camera does not say); the groups have a single flag.
std::vector<std::int32_t> AcceptedValues(const TVostrelActiveX& control, const ParamField& field) {
  if (field.FieldGroup != ParamField::Group::Plain) {
    return {};
  }
  std::vector<std::int32_t> values = SupportedValues(control.RemoteStart_GetRemoteParamSupported(
      field.Kind == RemoteParamWhiteBalanceKelvin ? RemoteParamWhiteBalanceSetting : field.Kind));
  std::erase(values, 0);
  return values;
}

// The fields the camera has: the kinds with a supported value and the groups
// it supports; none when the camera does not say (it says after a probe).
std::vector<ParamField> CameraFields(const TVostrelActiveX& control) {
  std::vector<ParamField> fields;
  for (const ParamField& field : AllFields()) {
    const std::int32_t kind =
        field.FieldGroup == ParamField::Group::PictureStyle        ? RemoteParamPictureStyle
        : field.FieldGroup == ParamField::Group::WhitebalanceShift ? RemoteParamWhiteBalanceShift
                                                                   : field.Kind;
    const std::string flags = control.RemoteStart_GetRemoteParamSupported(
        kind == RemoteParamWhiteBalanceKelvin ? RemoteParamWhiteBalanceSetting : kind);
    if (flags.find('1', kind == RemoteParamPictureStyle || kind == RemoteParamWhiteBalanceShift
                            ? 0
                            : 1) != std::string::npos) {
      fields.push_back(field);
    }
  }
  return fields;
}

std::string CameraFieldsText(const TVostrelActiveX& control) {
  const std::vector<ParamField> fields = CameraFields(control);
  return fields.empty() ? "the parameters are " + JoinNames(AllFields())
                        : "the camera has " + JoinNames(fields);
}

std::string AcceptedText(const Camera& camera, const ParamField& field) {
  const ValueTable& table = TableOf(field, camera.Family);
  const bool listed = HasAcceptedValues(table, field);
  if (listed) {
    camera.EnsureProbed();
  }
  const std::vector<std::int32_t> accepted = AcceptedValues(camera.Control, field);
  switch (table.ValueStyle()) {
  case ValueTable::Style::Coded:
    break;
  case ValueTable::Style::Boolean:
    return "it is yes or no";
  case ValueTable::Style::Kelvin:
    return "it is a colour temperature such as 5200K";
  default:
    return "it is a whole number from " + std::to_string(table.Lowest()) + " to " +
           std::to_string(table.Highest());
  }
  if (!accepted.empty()) {
    return "the camera takes " + ListMeanings(table, accepted);
  }
  if (listed) {
    return "the camera does not offer " + field.Name;
  }
  std::vector<std::int32_t> all;
  for (std::int32_t value = table.Lowest(); value <= table.Highest(); ++value) {
    if (!table.Meaning(value).empty()) {
      all.push_back(value);
    }
  }
  return "it can be " + ListMeanings(table, all) + " (or #N for public value N)";
}

// "Av=5.6", "Tv=1/125", "WhiteBalance=daylight", "ISO=#5": the value in any
// form the field's table reads, checked against what the camera accepts.
Assignment ParseAssignment(const Camera& camera, const std::string& text) {
  const std::string::size_type equals = text.find('=');
  if (equals == std::string::npos) {
    throw ToolError("Expected NAME=VALUE, not " + text);
  }
  const std::optional<ParamField> found = FindField(text.substr(0, equals));
  if (!found) {
    throw ToolError("Unknown parameter " + text.substr(0, equals) + "; " +
                    CameraFieldsText(camera.Control));
  }
  const ParamField field = *found;
  RefuseGroup(field);
  const std::string typed = text.substr(equals + 1);
  const std::optional<std::int32_t> value = TableOf(field, camera.Family).Parse(typed);
  const std::vector<std::int32_t> accepted = AcceptedValues(camera.Control, field);
  const bool refused = value && field.Kind != RemoteParamWhiteBalanceKelvin && !accepted.empty() &&
                       std::find(accepted.begin(), accepted.end(), *value) == accepted.end();
  if (!value || refused) {
    throw ToolError(field.Name + " cannot be " + typed + "; " + AcceptedText(camera, field));
  }
  return {field, *value};
}

// ---------------------------------------------------------------------------
// What the camera took. A camera may refuse a value without an error (the
// component retries a refused write for a while and goes on), so the values
// are read back and compared.

struct ExpectedValue {
  ParamField Field;
  std::int32_t Value;
};

// The value of a field in a parameter record, as the control shows it.
std::int32_t FieldOfRecord(const RemoteParamsType& record, const ParamField& field) {
  switch (field.FieldGroup) {
  case ParamField::Group::PictureStyle:
    return PictureStyleField(record, field.Kind);
  case ParamField::Group::WhitebalanceShift:
    return WhitebalanceShiftField(record, field.Kind);
  default:
    return RemoteParamField(record, field.Kind);
  }
}

// The fields that loading the record applies: every plain value that is not
// 0, the Kelvin value with the colour-temperature setting only, and a group
// when it is enabled.
std::vector<ExpectedValue> AppliedFields(const RemoteParamsType& record) {
  constexpr std::int32_t ColourTemperatureSetting = 13;
  std::vector<ExpectedValue> applied;
  for (const ParamField& field : AllFields()) {
    const std::int32_t value = FieldOfRecord(record, field);
    bool applies = false;
    switch (field.FieldGroup) {
    case ParamField::Group::PictureStyle:
      applies = record.PictureStyleEnabled != 0;
      break;
    case ParamField::Group::WhitebalanceShift:
      applies = record.WBShiftEnabled != 0;
      break;
    default:
      applies = value != 0 && (field.Kind != RemoteParamWhiteBalanceKelvin ||
                               record.WhiteBalanceSetting == ColourTemperatureSetting);
      break;
    }
    if (applies) {
      applied.push_back({field, value});
    }
  }
  return applied;
}

// Reads the fields back. With --json the document lists each field with the
// value wanted and the value the camera has. Raises ToolError naming every
// field whose value the camera does not show.
void CheckTaken(const Camera& camera, const std::vector<ExpectedValue>& expected, bool json) {
  std::string refused;
  std::size_t count = 0;
  nlohmann::json parameters = nlohmann::json::array();
  for (const ExpectedValue& wanted : expected) {
    const ValueTable& table = TableOf(wanted.Field, camera.Family);
    const std::int32_t now = ReadField(camera.Control, wanted.Field);
    nlohmann::json entry{{"name", wanted.Field.Name},
                         {"wanted", ValueJson(table, wanted.Value)},
                         {"camera", ValueJson(table, now)},
                         {"taken", now == wanted.Value}};
    if (now != wanted.Value) {
      refused += std::string(count == 0 ? "" : ", ") + wanted.Field.Name + " (wanted " +
                 table.Show(wanted.Value) + ", the camera has " + table.Show(now);
      // A value the camera says it takes and did not take is named as such;
      // otherwise the values it takes follow.
      std::vector<std::int32_t> accepted;
      if (HasAcceptedValues(table, wanted.Field)) {
        camera.EnsureProbed();
        accepted = AcceptedValues(camera.Control, wanted.Field);
        if (accepted.empty()) {
          refused += "; the camera does not offer it";
          entry["accepted"] = nlohmann::json::array();
        }
      }
      const bool takesWanted =
          std::find(accepted.begin(), accepted.end(), wanted.Value) != accepted.end();
      if (!accepted.empty() && !takesWanted) {
        refused += "; it takes " + ListMeanings(table, accepted);
        entry["accepted"] = nlohmann::json::array();
        for (const std::int32_t value : accepted) {
          entry["accepted"].push_back(ValueJson(table, value));
        }
      }
      // A camera that shows no value of a kind it takes leaves it to its
      // shooting mode (no aperture in program AE, for example).
      if (now == 0 && takesWanted) {
        const ValueTable& modes = RemoteParamValues(RemoteParamImageMode, camera.Family);
        refused += "; it sets none in its image mode " +
                   modes.Show(camera.Control.RemoteGetRemoteParams(RemoteParamImageMode));
      }
      refused += ")";
      ++count;
    }
    parameters.push_back(std::move(entry));
  }
  if (json) {
    PrintJson(std::cout, {{"parameters", parameters}, {"notTaken", count}});
  }
  if (count > 0) {
    throw ToolError("The camera did not take " + std::to_string(count) + " of " +
                    std::to_string(expected.size()) + " values: " + refused);
  }
}

// The record of a parameter file, read as the control reads it.
RemoteParamsType ParamsFileRecord(const std::string& fileName) {
  try {
    return DecodeRemoteParamsFile(platform::readFileStart(fileName, RemoteParamsFileSize),
                                  fileName);
  } catch (const std::system_error& error) {
    throw ToolError(error.what());
  }
}

// Runs the work in remote mode on the chosen camera.
template <typename Work>
void InRemoteMode(ToolHost& host, const CameraChoice& choice, Work&& work, bool probe = false,
                  const std::string& cacheDirectory = {}) {
  CameraSession session(host.Control());
  session.Connect(choice);
  const auto start = [&](bool probing) {
    const ProgressScope progress(host.Progress(), probing ? "probing" : "");
    session.StartRemote(ReleaseModeOnlyToPC, ReleaseDataKindTakeOnlyPicture, probing,
                        cacheDirectory);
  };
  start(probe);
  bool probed = probe;
  // Remote mode is entered again, this time learning what the camera takes;
  // the values set so far stay.
  const Camera camera{host.Control(), FamilyOf(choice), [&] {
                        if (!probed) {
                          probed = true;
                          session.EndRemote();
                          start(true);
                        }
                      }};
  work(camera);
  session.Close();
}

} // namespace

void AddParamsCommands(CommandLine& commandLine) {
  const GlobalOptions& global = commandLine.Global;
  auto& run = commandLine.Run;
  CLI::App* params =
      commandLine.App.add_subcommand("params", "Read, set, save and load shooting parameters");
  params->require_subcommand(1);

  auto names = std::make_shared<std::vector<std::string>>();
  CLI::App* get = params->add_subcommand("get", "Show parameters (all when none are named)");
  get->add_option("names", *names, "Parameters, e.g. ISO Av PictureStyle.Contrast");
  get->callback([&run, &global, names] {
    run = [&global, names](ToolHost& host) {
      std::vector<ParamField> fields;
      for (const std::string& name : *names) {
        fields.push_back(ParseField(name));
      }
      if (fields.empty()) {
        fields = AllFields();
      }
      InRemoteMode(host, global.Camera, [&](const Camera& camera) {
        nlohmann::json parameters = nlohmann::json::array();
        for (const ParamField& field : fields) {
          const std::int32_t value = ReadField(camera.Control, field);
          const ValueTable& table = TableOf(field, camera.Family);
          if (global.Json) {
            nlohmann::json entry = ValueJson(table, value);
            entry["name"] = field.Name;
            parameters.push_back(entry);
          } else {
            std::cout << field.Name << " = " << table.Show(value) << '\n';
          }
        }
        if (global.Json) {
          PrintJson(std::cout, {{"parameters", parameters}});
        }
      });
    };
  });

  auto assignments = std::make_shared<std::vector<std::string>>();
  CLI::App* set =
      params->add_subcommand("set", "Set parameters and name those the camera did not take");
  set->add_option("assignments", *assignments,
                  "NAME=VALUE pairs, e.g. Av=5.6 Tv=1/125 ISO=400 WhiteBalanceSetting=daylight "
                  "ExposureCompensation=-2/3; #N gives a public value")
      ->required();
  struct CheckOptions {
    bool Check = false;
    std::string Cache;
  };
  auto check = std::make_shared<CheckOptions>();
  set->add_flag("--check", check->Check,
                "Probe the camera first and refuse values it does not accept");
  set->add_option("--cache", check->Cache, "Folder that keeps the probe result per camera");
  set->callback([&run, &global, assignments, check] {
    run = [&global, assignments, check](ToolHost& host) {
      InRemoteMode(
          host, global.Camera,
          [&](const Camera& camera) {
            std::vector<Assignment> parsed;
            for (const std::string& text : *assignments) {
              parsed.push_back(ParseAssignment(camera, text));
            }
            std::vector<ExpectedValue> expected;
            for (const Assignment& assignment : parsed) {
              WriteField(camera.Control, assignment.Field, assignment.Value);
              expected.push_back({assignment.Field, assignment.Value});
            }
            CheckTaken(camera, expected, global.Json);
          },
          check->Check || !check->Cache.empty(), check->Cache);
    };
  });

  auto file = std::make_shared<std::string>();
  CLI::App* save = params->add_subcommand("save", "Save the current parameters to a file");
  save->add_option("file", *file, "Parameter file")->required();
  save->callback([&run, &global, file] {
    run = [&global, file](ToolHost& host) {
      InRemoteMode(host, global.Camera, [&](const Camera& camera) {
        camera.Control.RemoteSaveCameraRemoteParams(*file);
      });
    };
  });

  CLI::App* load = params->add_subcommand(
      "load", "Apply the parameters of a file and name those the camera did not take");
  load->add_option("file", *file, "Parameter file")->required()->check(CLI::ExistingFile);
  load->callback([&run, &global, file] {
    run = [&global, file](ToolHost& host) {
      InRemoteMode(host, global.Camera, [&](const Camera& camera) {
        camera.Control.RemoteLoadCameraRemoteParams(*file);
        CheckTaken(camera, AppliedFields(ParamsFileRecord(*file)), global.Json);
      });
    };
  });

  auto cache = std::make_shared<std::string>();
  CLI::App* supported =
      params->add_subcommand("supported", "Probe the camera and show the values it accepts");
  auto supportedNames = std::make_shared<std::vector<std::string>>();
  supported->add_option("names", *supportedNames, "Parameters (all when none are named)");
  supported->add_option("--cache", *cache, "Folder that keeps the probe result per camera");
  supported->callback([&run, &global, supportedNames, cache] {
    run = [&global, supportedNames, cache](ToolHost& host) {
      std::vector<std::int32_t> kinds;
      for (const std::string& name : *supportedNames) {
        // A group has one flag: supported or not.
        const std::optional<ParamField> field = FindField(name);
        if (!field) {
          throw ToolError("Unknown parameter " + name + "; the parameters are " +
                          JoinNames(AllFields()));
        }
        if (field->FieldGroup != ParamField::Group::Plain) {
          throw ToolError("Supported values are listed per parameter, not for " + name);
        }
        kinds.push_back(field->Kind);
      }
      if (kinds.empty()) {
        for (const ParamName& name : RemoteParamNames()) {
          kinds.push_back(name.Kind);
        }
      }
      InRemoteMode(
          host, global.Camera,
          [&](const Camera& camera) {
            nlohmann::json parameters = nlohmann::json::array();
            for (const std::int32_t kind : kinds) {
              const std::string flags = camera.Control.RemoteStart_GetRemoteParamSupported(kind);
              if (flags.empty()) {
                continue;
              }
              const std::string name = FieldOf(ParamField::Group::Plain, kind).Name;
              nlohmann::json entry{{"name", name}};
              std::string text;
              if (kind == RemoteParamWhiteBalanceShift || kind == RemoteParamPictureStyle) {
                entry["supported"] = flags == "1";
                text = flags == "1" ? "supported" : "not supported";
              } else {
                const ValueTable& table = RemoteParamValues(kind, camera.Family);
                std::vector<std::int32_t> values = SupportedValues(flags);
                std::erase(values, 0);
                entry["supported"] = nlohmann::json::array();
                for (const std::int32_t value : values) {
                  entry["supported"].push_back(ValueJson(table, value));
                  text += (text.empty() ? "" : ", ") + table.Show(value);
                }
                if (values.empty()) {
                  text = "none";
                }
              }
              parameters.push_back(entry);
              if (!global.Json) {
                std::cout << name << ": " << text << '\n';
              }
            }
            if (global.Json) {
              PrintJson(std::cout, {{"parameters", parameters}});
            }
          },
          true, *cache);
    };
  });
}

} // namespace vostrel::tools
