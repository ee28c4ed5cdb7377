// card list|get|delete|thumbnails: the pictures on the camera's card.

#include "core/ECamException.h"
#include "tools/CameraSession.h"
#include "tools/CardScopes.h"
#include "tools/Commands.h"
#include "tools/JsonOutput.h"
#include "tools/ToolError.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <iostream>
#include <vector>

namespace vostrel::tools {

namespace {

// Runs the work with the card's list of the chosen camera.
void WithCollection(ToolHost& host, const CameraChoice& camera, bool thumbnails,
                    const std::function<void(TVostrelActiveX&)>& work) {
  CameraSession session(host.Control());
  session.Connect(camera);
  {
    const CollectionScope collection(host.Control(), thumbnails);
    work(host.Control());
  }
  session.Close();
}

void CheckNumber(const TVostrelActiveX& control, std::int32_t number) {
  if (number >= control.OpenCameraCollection_GetNrOfPictures()) {
    throw ToolError("The card has no picture " + std::to_string(number) + " (it holds " +
                    std::to_string(control.OpenCameraCollection_GetNrOfPictures()) + ")");
  }
}

struct TransferOptions {
  std::vector<std::int32_t> Numbers;
  bool All = false;
  std::string Folder = ".";
};

void GetPictures(ToolHost& host, const CameraChoice& camera, const TransferOptions& options) {
  CreateOutputFolder(options.Folder);
  WithCollection(host, camera, false, [&](TVostrelActiveX& control) {
    for (const std::int32_t number : options.All ? AllPictureNumbers(control) : options.Numbers) {
      CheckNumber(control, number);
      const std::string name = PlainName(control.OpenCameraCollection_NameOfImage(number));
      const std::string file = (std::filesystem::path(options.Folder) / name).string();
      {
        const ProgressScope progress(host.Progress(), name);
        control.GetPicture(number, false, file);
      }
      std::cout << "saved " << file << '\n';
    }
  });
}

// Pictures without a thumbnail (the cameras make them for JPEG pictures
// only), or whose name cannot be a file name, are reported and skipped; the
// command then fails at the end.
void SaveThumbnails(ToolHost& host, const CameraChoice& camera, const TransferOptions& options) {
  CreateOutputFolder(options.Folder);
  std::int32_t failures = 0;
  WithCollection(host, camera, true, [&](TVostrelActiveX& control) {
    for (const std::int32_t number : options.All ? AllPictureNumbers(control) : options.Numbers) {
      CheckNumber(control, number);
      try {
        const std::string file =
            ThumbnailFile(options.Folder, control.OpenCameraCollection_NameOfImage(number));
        control.OpenCameraCollection_GetThumbnail(number, file);
        std::cout << "saved " << file << '\n';
      } catch (const ECamException& error) {
        std::cerr << "vostrel: " << error.message() << '\n';
        ++failures;
      } catch (const ToolError& error) {
        std::cerr << "vostrel: " << error.what() << '\n';
        ++failures;
      }
    }
  });
  if (failures > 0) {
    throw ToolError(std::to_string(failures) + " thumbnails were not saved");
  }
}

} // namespace

void AddCardCommands(CommandLine& commandLine) {
  const GlobalOptions& global = commandLine.Global;
  auto& run = commandLine.Run;
  CLI::App* card = commandLine.App.add_subcommand("card", "Browse the pictures on the card");
  card->require_subcommand(1);

  card->add_subcommand("list", "List the pictures, numbered from 0")->callback([&run, &global] {
    run = [&global](ToolHost& host) {
      WithCollection(host, global.Camera, false, [&global](TVostrelActiveX& control) {
        const std::int32_t count = control.OpenCameraCollection_GetNrOfPictures();
        nlohmann::json pictures = nlohmann::json::array();
        for (std::int32_t number = 0; number < count; ++number) {
          const std::string name = control.OpenCameraCollection_NameOfImage(number);
          if (global.Json) {
            pictures.push_back({{"number", number}, {"name", name}});
          } else {
            std::cout << number << '\t' << name << '\n';
          }
        }
        if (global.Json) {
          PrintJson(std::cout, {{"pictures", pictures}});
        }
      });
    };
  });

  const auto addTransfer = [&](const char* name, const char* description, auto action) {
    auto options = std::make_shared<TransferOptions>();
    CLI::App* command = card->add_subcommand(name, description);
    command->add_option("numbers", options->Numbers, "Picture numbers (see card list)")
        ->check(CLI::NonNegativeNumber);
    command->add_flag("--all", options->All, "Every picture on the card");
    command->add_option("-o,--out", options->Folder, "Folder for the files");
    command->callback([&run, &global, options, action] {
      if (options->Numbers.empty() && !options->All) {
        throw CLI::ValidationError("numbers", "name the pictures or give --all");
      }
      run = [&global, options, action](ToolHost& host) { action(host, global.Camera, *options); };
    });
  };
  addTransfer("get", "Download pictures", GetPictures);
  addTransfer("thumbnails",
              "Save the pictures' thumbnails as NAME-thumb.jpg; pictures without one are "
              "reported and skipped",
              SaveThumbnails);

  auto numbers = std::make_shared<std::vector<std::int32_t>>();
  CLI::App* remove = card->add_subcommand("delete", "Delete pictures from the card");
  remove->add_option("numbers", *numbers, "Picture numbers (see card list)")
      ->required()
      ->check(CLI::NonNegativeNumber);
  remove->callback([&run, &global, numbers] {
    run = [&global, numbers](ToolHost& host) {
      WithCollection(host, global.Camera, false, [&](TVostrelActiveX& control) {
        std::vector<std::int32_t> descending = *numbers;
        std::sort(descending.rbegin(), descending.rend());
        descending.erase(std::unique(descending.begin(), descending.end()), descending.end());
        // From the last to the first, so the numbers of the others stay valid.
        for (const std::int32_t number : descending) {
          CheckNumber(control, number);
          const std::string name = control.OpenCameraCollection_NameOfImage(number);
          control.DeletePicture(number);
          std::cout << "deleted " << name << '\n';
        }
      });
    };
  });
}

} // namespace vostrel::tools
