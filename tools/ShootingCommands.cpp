// shoot, viewfinder and demo: remote shooting with transfers to the PC.

#include "tools/CDDemoSession.h"
#include "tools/CameraReport.h"
#include "tools/CameraSession.h"
#include "tools/CardScopes.h"
#include "tools/Commands.h"
#include "tools/JsonOutput.h"
#include "tools/ParamValues.h"

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
};

std::string PictureFileName(std::int64_t number) {
  char name[40];
  std::snprintf(name, sizeof name, "shot-%03lld.jpg", static_cast<long long>(number));
  return name;
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
    control.RemoteTakePicture();
    if (!toPC) {
      messages << "shot " << shot << " kept in the camera\n";
      continue;
    }
    host.WaitForPictures(before + 1);
    while (fetched < host.AnnouncedPictures()) {
      const std::string name = PictureFileName(static_cast<std::int64_t>(files.size()) + 1);
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

void Shoot(ToolHost& host, const GlobalOptions& global, const ShootOptions& options) {
  CameraSession session(host.Control());
  session.Connect(global.Camera);
  session.StartRemote(options.Mode, ReleaseDataKindTakeOnlyPicture);
  const std::vector<std::string> files = ShootAndFetch(host, options, Messages(global));
  session.Close();
  if (global.Json) {
    nlohmann::json pictures = nlohmann::json::array();
    for (const std::string& file : files) {
      pictures.push_back(
          {{"file", file}, {"path", std::filesystem::absolute(file).lexically_normal().string()}});
    }
    PrintJson(std::cout, {{"shots", options.Count},
                          {"keptInCamera", options.Mode != ReleaseModeOnlyToPC},
                          {"pictures", pictures}});
  }
}

void RunViewfinder(ToolHost& host, const CameraChoice& camera, std::int32_t frames,
                   const std::string& folder) {
  CreateOutputFolder(folder);
  CameraSession session(host.Control());
  session.Connect(camera);
  session.StartRemote(ReleaseModeOnlyToPC, ReleaseDataKindTakeOnlyPicture);
  session.StartViewfinder();
  host.CaptureFrames(folder, frames);
  session.Close();
  std::cout << frames << " viewfinder frames in " << folder << '\n';
}

bool IsRAWName(const std::string& name) {
  std::string extension = std::filesystem::path(name).extension().string();
  for (char& c : extension) {
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  return extension == ".CR2" || extension == ".CRW";
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
  const std::vector<std::int32_t> numbers = AllPictureNumbers(control);
  std::cout << "  " << numbers.size() << " pictures on the card\n";
  std::vector<std::string> names;
  for (const std::int32_t number : numbers) {
    names.push_back(control.OpenCameraCollection_NameOfImage(number));
    std::cout << "  " << number << '\t' << names.back() << '\n';
  }

  const std::string thumbnails = (std::filesystem::path(folder) / "thumbnails").string();
  CreateOutputFolder(thumbnails);
  std::size_t saved = 0;
  for (const std::int32_t number : numbers) {
    if (!IsRAWName(names[static_cast<std::size_t>(number)])) {
      control.OpenCameraCollection_GetThumbnail(
          number, ThumbnailFile(thumbnails, names[static_cast<std::size_t>(number)]));
      ++saved;
    }
  }
  std::cout << "  " << saved << " thumbnails saved in " << thumbnails << '\n';

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
  const ValueTable& balances = RemoteParamValues(RemoteParamWhiteBalanceSetting);
  std::vector<std::int32_t> settings =
      SupportedValues(control.OpenRAWObject_GetRemoteParamSupported(RAWParamWhiteBalanceSetting));
  std::erase(settings, 0);
  std::cout << "  white balance "
            << balances.Show(control.GetRAWDevelopmentParameters(RAWParamWhiteBalanceSetting))
            << ", " << control.GetRAWDevelopmentParameters(RAWParamWhiteBalanceKelvin)
            << " K; it can be developed with " << ListMeanings(balances, settings) << '\n';
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

// The demo's last line: every file it wrote and what it left on the card.
std::string LeftBehind(const ShootOptions& options, const std::vector<std::string>& pictures,
                       const CardTour& tour, const std::vector<std::string>& developed) {
  std::vector<std::string> files = pictures;
  if (!tour.RAWFile.empty()) {
    files.push_back(tour.RAWFile);
  }
  files.insert(files.end(), developed.begin(), developed.end());
  std::string line = "Left behind in " +
                     std::filesystem::absolute(options.Folder).lexically_normal().string() + ": " +
                     (files.empty() ? std::string("no pictures") : FileNames(files)) + "; " +
                     std::to_string(tour.Thumbnails) + " thumbnails in thumbnails";
  if (options.Mode != ReleaseModeOnlyToPC) {
    line += "; the " + std::to_string(options.Count) + " new pictures stay on the camera's card";
  }
  return line;
}

// The whole tour of the component: the pictures are kept on the card as
// well, so that browsing the card afterwards finds them there too.
void RunDemo(ToolHost& host, const CameraChoice& camera, const ShootOptions& options) {
  TVostrelActiveX& control = host.Control();
  std::cout << "Enumerating cameras\n";
  CameraSession session(control);
  PrintCameraList(control, std::cout, "  ");

  std::cout << "Connecting " << CameraName(camera.Family, camera.Number) << '\n';
  session.Connect(camera);
  PrintConnectInfo(control, std::cout, "  ");
  std::cout << "  body ID:  " << control.GetBodyID() << '\n';

  std::cout << "Starting remote control\n";
  session.StartRemote(options.Mode, ReleaseDataKindTakeOnlyPicture);
  std::cout << "  shots available: " << control.RemoteGetNumberOfAvailableShots() << '\n';

  std::cout << "Taking " << options.Count << " pictures\n";
  const std::vector<std::string> files = ShootAndFetch(host, options, std::cout);
  std::cout << "Ending remote control\n";
  session.EndRemote();

  std::cout << "Browsing the card\n";
  const CardTour tour = BrowseCard(host, options.Folder);

  std::cout << "Disconnecting\n";
  session.Disconnect();
  std::vector<std::string> developed;
  if (!tour.RAWFile.empty()) {
    std::cout << "Developing " << PlainName(tour.RAWFile) << " on the PC\n";
    developed = DevelopRAW(host, tour.RAWFile);
  }
  std::cout << "Stopping the camera SDKs\n";
  session.Close();
  std::vector<std::string> pictures = files;
  const std::vector<std::string> cdPictures = RunCDDemoSession(host, options.Folder, options.Count);
  pictures.insert(pictures.end(), cdPictures.begin(), cdPictures.end());
  std::cout << LeftBehind(options, pictures, tour, developed) << '\n';
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
  shootCommand->callback([&run, &global, shoot] {
    run = [&global, shoot](ToolHost& host) { Shoot(host, global, *shoot); };
  });

  struct ViewfinderOptions {
    std::int32_t Frames = 10;
    std::string Folder = ".";
  };
  auto viewfinder = std::make_shared<ViewfinderOptions>();
  CLI::App* viewfinderCommand =
      app.add_subcommand("viewfinder", "Save frames of the live viewfinder (PowerShot cameras)");
  viewfinderCommand->add_option("-n,--frames", viewfinder->Frames, "Number of frames")
      ->check(CLI::Range(1, 100000));
  viewfinderCommand->add_option("-o,--out", viewfinder->Folder, "Folder for the frames");
  viewfinderCommand->callback([&run, &global, viewfinder] {
    run = [&global, viewfinder](ToolHost& host) {
      RunViewfinder(host, global.Camera, viewfinder->Frames, viewfinder->Folder);
    };
  });

  auto demo = std::make_shared<ShootOptions>();
  demo->Count = 3;
  demo->Mode = ReleaseModeBothPCAndCamera;
  demo->Folder = "vostrel-demo-pictures";
  CLI::App* demoCommand = app.add_subcommand(
      "demo",
      "Run a whole session: enumerate, connect, shoot, fetch, browse the card, develop a RAW "
      "file, disconnect");
  demoCommand->add_option("-n,--count", demo->Count, "Number of pictures")
      ->check(CLI::Range(1, 99));
  demoCommand->add_option("-o,--out", demo->Folder, "Folder for the pictures");
  demoCommand->callback([&run, &global, demo] {
    run = [&global, demo](ToolHost& host) { RunDemo(host, global.Camera, *demo); };
  });
}

} // namespace vostrel::tools
