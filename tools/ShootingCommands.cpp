// shoot and demo: remote shooting with transfers to the PC.

#include "core/DeviceLists.h"
#include "tools/CDDemoSession.h"
#include "tools/CameraReport.h"
#include "tools/CameraSession.h"
#include "tools/CardScopes.h"
#include "tools/Commands.h"
#include "tools/JsonOutput.h"
#include "tools/LiveView.h"
#include "tools/ParamValues.h"
#include "tools/RigShooting.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <map>
#include <vector>

namespace vostrel::tools {

namespace {

struct ShootOptions {
  std::int32_t Count = 1;
  std::string Folder = ".";
  TxReleaseModeType Mode = ReleaseModeOnlyToPC;
  // The start of the picture file names: shot-001.jpg, ...
  std::string Prefix = "shot";
  // Every attached camera, fired together.
  bool All = false;
};

// The families whose sessions the demo runs: PowerShot means both kinds.
enum class DemoFamilies { All, EOS, PowerShot, PR, CD };

bool Runs(DemoFamilies chosen, DemoFamilies family) {
  return chosen == DemoFamilies::All || chosen == family ||
         (chosen == DemoFamilies::PowerShot &&
          (family == DemoFamilies::PR || family == DemoFamilies::CD));
}

struct DemoOptions : ShootOptions {
  DemoFamilies Families = DemoFamilies::All;
};

std::string PictureFileName(const std::string& prefix, std::int64_t number) {
  char name[40];
  std::snprintf(name, sizeof name, "-%03lld.jpg", static_cast<long long>(number));
  return prefix + name;
}

// Releases the shutter count times and, unless the pictures stay in the
// camera, fetches every picture the camera announces into the folder. The
// session must be in remote mode. Returns the files written.
std::vector<std::string> ShootAndFetch(ToolHost& host, const ShootOptions& options,
                                       std::ostream& messages) {
  TVostrelActiveX& control = host.Control();
  const bool toPC = options.Mode != ReleaseModeOnlyToCamera;
  if (toPC) {
    CreateOutputFolder(options.Folder);
  }
  std::vector<std::string> files;
  std::int64_t fetched = host.AnnouncedPictures();
  for (std::int32_t shot = 1; shot <= options.Count; ++shot) {
    const std::int64_t before = host.AnnouncedPictures();
    {
      // The PowerShot cameras report the release's own progress.
      const ProgressScope progress(host.Progress(), "taking picture " + std::to_string(shot));
      control.RemoteTakePicture();
    }
    if (!toPC) {
      messages << "shot " << shot << " kept in the camera\n";
      continue;
    }
    host.WaitForPictures(before + 1);
    while (fetched < host.AnnouncedPictures()) {
      const std::string name =
          PictureFileName(options.Prefix, static_cast<std::int64_t>(files.size()) + 1);
      const std::string file = (std::filesystem::path(options.Folder) / name).string();
      {
        const ProgressScope progress(host.Progress(), name);
        control.RemoteGetPicture(file, PictureTypeFull);
      }
      ++fetched;
      files.push_back(file);
      messages << "saved " << file << '\n';
    }
  }
  return files;
}

nlohmann::json PicturesJson(const std::vector<std::string>& files) {
  nlohmann::json pictures = nlohmann::json::array();
  for (const std::string& file : files) {
    pictures.push_back(
        {{"file", file}, {"path", std::filesystem::absolute(file).lexically_normal().string()}});
  }
  return pictures;
}

void ShootWithAllCameras(ToolHost& host, const GlobalOptions& global, const ShootOptions& options) {
  const std::vector<RigCameraPictures> rig = ShootAll(
      host, {options.Count, options.Folder, options.Mode, options.Prefix}, Messages(global));
  if (global.Json) {
    nlohmann::json cameras = nlohmann::json::array();
    for (const RigCameraPictures& camera : rig) {
      nlohmann::json entry = {{"camera", CameraName(camera.Camera.Family, camera.Camera.Number)},
                              {"folder", camera.Folder},
                              {"pictures", PicturesJson(camera.Files)}};
      if (!camera.Error.empty()) {
        entry["error"] = camera.Error;
      }
      cameras.push_back(std::move(entry));
    }
    PrintJson(std::cout, {{"shots", options.Count},
                          {"keptInCamera", options.Mode != ReleaseModeOnlyToPC},
                          {"cameras", cameras}});
  }
  // The document is out; the exit status tells that a camera failed.
  RequireEveryCamera(rig);
}

void Shoot(ToolHost& host, const GlobalOptions& global, const ShootOptions& options) {
  if (options.All) {
    ShootWithAllCameras(host, global, options);
    return;
  }
  CameraSession session(host.Control());
  session.Connect(global.Camera);
  session.StartRemote(options.Mode, ReleaseDataKindTakeOnlyPicture);
  const std::vector<std::string> files = ShootAndFetch(host, options, Messages(global));
  session.Close();
  if (global.Json) {
    PrintJson(std::cout, {{"shots", options.Count},
                          {"keptInCamera", options.Mode != ReleaseModeOnlyToPC},
                          {"pictures", PicturesJson(files)}});
  }
}

// What browsing the card left in the folder: the RAW file (empty when the
// card holds none) and the number of thumbnails.
struct CardTour {
  std::string RAWFile;
  std::size_t Thumbnails = 0;
};

// Lists the card with its thumbnails, saves the thumbnail of every JPEG
// picture into <folder>/thumbnails and downloads the first RAW picture into
// the folder.
CardTour BrowseCard(ToolHost& host, const std::string& folder) {
  TVostrelActiveX& control = host.Control();
  const CollectionScope collection(control, true);
  const CardListing listing =
      ListCard(control, (std::filesystem::path(folder) / "thumbnails").string(), std::cout);
  const std::vector<std::string>& names = listing.Names;
  const std::size_t saved = listing.Thumbnails;

  const auto raw = std::find_if(names.begin(), names.end(), IsRAWName);
  if (raw == names.end()) {
    std::cout << "  no RAW picture on the card\n";
    return {{}, saved};
  }
  const std::string name = PlainName(*raw);
  const std::string file = (std::filesystem::path(folder) / name).string();
  {
    const ProgressScope progress(host.Progress(), name);
    control.GetPicture(static_cast<std::int32_t>(raw - names.begin()), false, file);
  }
  std::cout << "  saved " << file << '\n';
  return {file, saved};
}

// Develops the RAW file twice, with the white balance it was taken with into
// a 16-bit TIFF and at a colour temperature of 5200 K into a JPEG.
// Returns the two files.
std::vector<std::string> DevelopRAW(ToolHost& host, const std::string& rawFile) {
  TVostrelActiveX& control = host.Control();
  RAWScope raw(control, rawFile);
  const ValueTable& balances = RemoteParamValues(RemoteParamWhiteBalanceSetting, CameraFamily::EOS);
  std::vector<std::int32_t> settings =
      SupportedValues(control.OpenRAWObject_GetRemoteParamSupported(RAWParamWhiteBalanceSetting));
  std::erase(settings, 0);
  // The picture's colour temperature is known with the colour-temperature
  // setting only.
  const std::int32_t kelvin = control.GetRAWDevelopmentParameters(RAWParamWhiteBalanceKelvin);
  std::cout << "  white balance "
            << balances.Show(control.GetRAWDevelopmentParameters(RAWParamWhiteBalanceSetting))
            << (kelvin > 0 ? ", " + std::to_string(kelvin) + " K" : std::string())
            << "; it can be developed with " << ListMeanings(balances, settings) << '\n';
  const std::filesystem::path base = std::filesystem::path(rawFile).replace_extension();
  const std::string tiff = base.string() + ".tif";
  control.DevelopRAWPicture(tiff, FileFormatTIFF, BitsPerPixel48Bits, "", 0);
  std::cout << "  saved " << tiff << " (as shot, 16 bits per channel)\n";

  // A colour temperature selects the colour-temperature setting as well.
  control.SetRAWDevelopmentParameters(RAWParamWhiteBalanceKelvin, 5200);
  const std::string jpeg = base.string() + "-5200K.jpg";
  control.DevelopRAWPicture(jpeg, FileFormatJPEG, BitsPerPixel24Bits, "", 90);
  std::cout << "  saved " << jpeg << " (5200 K, quality 90)\n";
  raw.Close();
  return {tiff, jpeg};
}

std::string FileNames(const std::vector<std::string>& files) {
  std::string names;
  for (std::size_t index = 0; index < files.size(); ++index) {
    names += (index == 0                  ? ""
              : index + 1 == files.size() ? " and "
                                          : ", ") +
             std::filesystem::path(files[index]).filename().string();
  }
  return names;
}

// The folder, inside the demo's folder, of the PR session's viewfinder frames.
constexpr const char* PRViewfinderFolder = "viewfinder";

// Viewfinder frames a session saved in a folder inside the demo's folder.
struct FramesLeft {
  std::string Folder;
  std::int64_t Count = 0;
};

// What a demo session left behind.
struct DemoResult {
  std::vector<std::string> Pictures;
  std::vector<FramesLeft> Frames;
  CardTour Tour;
  std::vector<std::string> Developed;
  // Whether the EOS session ran, keeping its new pictures on the card too.
  bool KeptOnCard = false;
  // Thumbnails of the CD camera's card.
  std::size_t CDThumbnails = 0;
};

// The demo's last line: every file it wrote and what it left on the card.
std::string LeftBehind(const ShootOptions& options, const DemoResult& result) {
  std::vector<std::string> files = result.Pictures;
  if (!result.Tour.RAWFile.empty()) {
    files.push_back(result.Tour.RAWFile);
  }
  files.insert(files.end(), result.Developed.begin(), result.Developed.end());
  std::string line = "Left behind in " +
                     std::filesystem::absolute(options.Folder).lexically_normal().string() + ": " +
                     (files.empty() ? std::string("no pictures") : FileNames(files));
  for (const FramesLeft& frames : result.Frames) {
    if (frames.Count > 0) {
      line += "; " + std::to_string(frames.Count) + " viewfinder frames in " + frames.Folder;
    }
  }
  if (result.Tour.Thumbnails > 0) {
    line += "; " + std::to_string(result.Tour.Thumbnails) + " thumbnails in thumbnails";
  }
  if (result.CDThumbnails > 0) {
    line += "; " + std::to_string(result.CDThumbnails) + " thumbnails in cd-thumbnails";
  }
  if (result.KeptOnCard && options.Mode != ReleaseModeOnlyToPC) {
    line += "; the " + std::to_string(options.Count) + " new pictures stay on the camera's card";
  }
  return line;
}

// The EOS part of the demo: the pictures are kept on the card as well, so
// that browsing the card afterwards finds them there too.
DemoResult RunEOSDemo(ToolHost& host, CameraSession& session, std::int32_t number,
                      const ShootOptions& options) {
  TVostrelActiveX& control = host.Control();
  if (number >= control.OpenCameraEnumeration_GetEOSNr()) {
    std::cout << "No EOS camera " << CameraName(CamModEOS, number) << " attached: no EOS session\n";
    return {};
  }
  std::cout << "Connecting " << CameraName(CamModEOS, number) << '\n';
  session.Connect(CameraChoice{CamModEOS, number});
  PrintConnectInfo(control, std::cout, "  ");
  std::cout << "  body ID:  " << control.GetBodyID() << '\n';

  std::cout << "Starting remote control\n";
  session.StartRemote(options.Mode, ReleaseDataKindTakeOnlyPicture);
  std::cout << "  shots available: " << control.RemoteGetNumberOfAvailableShots() << '\n';

  std::cout << "Taking " << options.Count << (options.Count == 1 ? " picture\n" : " pictures\n");
  DemoResult result;
  result.KeptOnCard = true;
  result.Pictures = ShootAndFetch(host, options, std::cout);
  std::cout << "Ending remote control\n";
  session.EndRemote();

  std::cout << "Browsing the card\n";
  result.Tour = BrowseCard(host, options.Folder);

  std::cout << "Disconnecting\n";
  session.Disconnect();
  return result;
}

// The PowerShot part of the demo, with the last PowerShot camera listed (the
// newer cameras come after the older ones): remote control in the mode every
// PowerShot camera accepts, with its settings learnt, the zoom, a short run
// of the viewfinder, and one picture fetched. Returns the pictures and the
// viewfinder frames written.
DemoResult RunPowerShotDemo(ToolHost& host, CameraSession& session, const ShootOptions& demo) {
  TVostrelActiveX& control = host.Control();
  // The PowerShot list holds the CD cameras first, then the PR cameras.
  const auto count = static_cast<std::int32_t>(CDDeviceList().size() + PRDeviceList().size());
  if (PRDeviceList().empty()) {
    std::cout << "No newer PowerShot (PR) camera is attached: its session is skipped\n";
    return {};
  }
  const CameraChoice camera{CamModPowerShot, count - 1};
  std::cout << "Connecting " << CameraName(camera.Family, camera.Number) << '\n';
  session.Connect(camera);
  PrintConnectInfo(control, std::cout, "  ");

  std::cout << "Starting remote control and learning the camera's settings\n";
  {
    const ProgressScope progress(host.Progress(), "settings");
    session.StartRemote(ReleaseModeOnlyToPC, ReleaseDataKindTakeOnlyPicture, true);
  }
  DemoResult result;
  result.Frames.push_back(
      {PRViewfinderFolder,
       TourLiveFunctions(host, session,
                         (std::filesystem::path(demo.Folder) / PRViewfinderFolder).string())});

  ShootOptions options = demo;
  options.Count = 1;
  options.Mode = ReleaseModeOnlyToPC;
  options.Prefix = "powershot";
  std::cout << "Taking a picture\n";
  result.Pictures = ShootAndFetch(host, options, std::cout);
  std::cout << "Ending remote control\n";
  session.EndRemote();
  std::cout << "Disconnecting\n";
  session.Disconnect();
  return result;
}

// The whole tour of the component: an EOS session, then one with a newer
// PowerShot (PR) camera and one with an older PowerShot (CD) camera.
void RunDemo(ToolHost& host, const CameraChoice& camera, const DemoOptions& options) {
  TVostrelActiveX& control = host.Control();
  std::cout << "Enumerating cameras\n";
  CameraSession session(control);
  PrintCameraList(control, std::cout, "  ");

  DemoResult result;
  if (Runs(options.Families, DemoFamilies::EOS)) {
    result = RunEOSDemo(host, session, camera.Family == CamModEOS ? camera.Number : 0, options);
  }
  if (Runs(options.Families, DemoFamilies::PR)) {
    const DemoResult more = RunPowerShotDemo(host, session, options);
    result.Pictures.insert(result.Pictures.end(), more.Pictures.begin(), more.Pictures.end());
    result.Frames.insert(result.Frames.end(), more.Frames.begin(), more.Frames.end());
  }
  if (Runs(options.Families, DemoFamilies::CD)) {
    const CDDemoResult cd = RunCDDemoSession(host, options.Folder, options.Count);
    result.Pictures.insert(result.Pictures.end(), cd.Pictures.begin(), cd.Pictures.end());
    result.CDThumbnails = cd.Thumbnails;
    result.Frames.push_back({CDViewfinderFolder, cd.ViewfinderFrames});
  }
  std::cout << "Stopping the camera SDKs\n";
  session.Close();
  // Development needs no camera: the RAW file fetched from the EOS card is
  // developed once the cameras are let go.
  if (!result.Tour.RAWFile.empty()) {
    std::cout << "Developing " << PlainName(result.Tour.RAWFile) << " on the PC\n";
    result.Developed = DevelopRAW(host, result.Tour.RAWFile);
  }
  std::cout << LeftBehind(options, result) << '\n';
}

const std::map<std::string, TxReleaseModeType> ReleaseModes{{"pc", ReleaseModeOnlyToPC},
                                                            {"both", ReleaseModeBothPCAndCamera},
                                                            {"camera", ReleaseModeOnlyToCamera}};

} // namespace

void AddShootingCommands(CommandLine& commandLine) {
  CLI::App& app = commandLine.App;
  const GlobalOptions& global = commandLine.Global;
  auto& run = commandLine.Run;

  auto shoot = std::make_shared<ShootOptions>();
  CLI::App* shootCommand =
      app.add_subcommand("shoot", "Take pictures by remote control and fetch them");
  shootCommand->add_option("-n,--count", shoot->Count, "Number of pictures")
      ->check(CLI::Range(1, 9999));
  shootCommand->add_option("-o,--out", shoot->Folder, "Folder for the pictures");
  shootCommand->add_option("--mode", shoot->Mode, "Where pictures go: pc, both or camera")
      ->transform(CLI::CheckedTransformer(ReleaseModes, CLI::ignore_case));
  shootCommand->add_flag("--all", shoot->All,
                         "Fire every attached camera together; each camera's pictures are fetched "
                         "at the same time as the others' into a folder of their own (eos-0, "
                         "powershot-1, ...) inside the --out folder, with a progress line per "
                         "camera");
  shootCommand->callback([&run, &global, shoot] {
    run = [&global, shoot](ToolHost& host) { Shoot(host, global, *shoot); };
  });

  auto demo = std::make_shared<DemoOptions>();
  demo->Count = 3;
  demo->Mode = ReleaseModeBothPCAndCamera;
  demo->Folder = "vostrel-demo-pictures";
  CLI::App* demoCommand = app.add_subcommand(
      "demo", "Run whole sessions: with an EOS camera enumerate, connect, shoot, fetch, browse the "
              "card, develop a RAW file; then with each kind of PowerShot camera zoom, watch the "
              "viewfinder, shoot and fetch, and with an older one browse its card");
  demoCommand->add_option("-n,--count", demo->Count, "Number of pictures")
      ->check(CLI::Range(1, 99));
  demoCommand->add_option("-o,--out", demo->Folder, "Folder for the pictures");
  demoCommand
      ->add_option("--family", demo->Families,
                   "Run the sessions of one family only: eos, pr, cd or powershot (pr and cd)")
      ->transform(CLI::CheckedTransformer(
          std::map<std::string, DemoFamilies>{{"eos", DemoFamilies::EOS},
                                              {"powershot", DemoFamilies::PowerShot},
                                              {"pr", DemoFamilies::PR},
                                              {"cd", DemoFamilies::CD}},
          CLI::ignore_case));
  demoCommand->callback([&run, &global, demo] {
    run = [&global, demo](ToolHost& host) { RunDemo(host, global.Camera, *demo); };
  });
}

} // namespace vostrel::tools
