// raw info|develop: RAW files, developed on the PC without a camera.

#include "tools/CardScopes.h"
#include "tools/Commands.h"
#include "tools/JsonOutput.h"
#include "tools/ParamValues.h"
#include "tools/ToolError.h"

#include <algorithm>
#include <iostream>
#include <map>
#include <optional>
#include <vector>

namespace vostrel::tools {

namespace {

struct DevelopOptions {
  std::string Input;
  std::string Output;
  TxFileFormatType Format = FileFormatTIFF;
  TxBitsPerPixelType Bits = BitsPerPixel24Bits;
  std::optional<std::int32_t> WhiteBalance;
  std::optional<std::int32_t> Kelvin;
  std::string ICCProfile;
  std::int32_t Quality = 90;
};

// RAW files come from EOS cameras and are developed by the EOS library: their
// white balances are the EOS values.
const ValueTable& WhiteBalances() {
  return RemoteParamValues(RemoteParamWhiteBalanceSetting, CameraFamily::EOS);
}

void ShowRAW(ToolHost& host, const std::string& fileName, bool json) {
  TVostrelActiveX& control = host.Control();
  RAWScope raw(control, fileName);
  const ValueTable& table = WhiteBalances();
  std::vector<std::int32_t> settings =
      SupportedValues(control.OpenRAWObject_GetRemoteParamSupported(RAWParamWhiteBalanceSetting));
  std::erase(settings, 0);
  const std::int32_t setting = control.GetRAWDevelopmentParameters(RAWParamWhiteBalanceSetting);
  const std::int32_t kelvin = control.GetRAWDevelopmentParameters(RAWParamWhiteBalanceKelvin);
  raw.Close();
  if (json) {
    nlohmann::json balances = nlohmann::json::array();
    for (const std::int32_t value : settings) {
      balances.push_back(ValueJson(table, value));
    }
    PrintJson(std::cout, {{"file", fileName},
                          {"whiteBalance", ValueJson(table, setting)},
                          {"kelvin", kelvin},
                          {"whiteBalances", balances}});
    return;
  }
  std::cout << "white balance:  " << table.Show(setting) << '\n'
            << "kelvin:         "
            << RemoteParamValues(RemoteParamWhiteBalanceKelvin, CameraFamily::EOS).Show(kelvin)
            << '\n'
            << "white balances it can be developed with: " << ListMeanings(table, settings) << '\n';
}

void Develop(ToolHost& host, const DevelopOptions& options) {
  TVostrelActiveX& control = host.Control();
  RAWScope raw(control, options.Input);
  if (options.WhiteBalance) {
    // The picture says which white balances it can be developed with.
    std::vector<std::int32_t> settings =
        SupportedValues(control.OpenRAWObject_GetRemoteParamSupported(RAWParamWhiteBalanceSetting));
    std::erase(settings, 0);
    if (std::find(settings.begin(), settings.end(), *options.WhiteBalance) == settings.end()) {
      throw ToolError(PlainName(options.Input) + " cannot be developed with the white balance " +
                      WhiteBalances().Show(*options.WhiteBalance) + "; it can be with " +
                      ListMeanings(WhiteBalances(), settings));
    }
    control.SetRAWDevelopmentParameters(RAWParamWhiteBalanceSetting, *options.WhiteBalance);
  }
  if (options.Kelvin) {
    control.SetRAWDevelopmentParameters(RAWParamWhiteBalanceKelvin, *options.Kelvin);
  }
  control.DevelopRAWPicture(options.Output, options.Format, options.Bits, options.ICCProfile,
                            options.Quality);
  raw.Close();
  std::cout << "saved " << options.Output << '\n';
}

const std::map<std::string, TxFileFormatType> FileFormats{{"tiff", FileFormatTIFF},
                                                          {"thumbnail", FileFormatThumbnail},
                                                          {"jpeg-in-raw", FileFormatJPEGInRaw},
                                                          {"jpeg", FileFormatJPEG}};

const std::map<std::string, TxBitsPerPixelType> BitsPerPixel{{"24", BitsPerPixel24Bits},
                                                             {"48", BitsPerPixel48Bits}};

} // namespace

void AddRawCommands(CommandLine& commandLine) {
  auto& run = commandLine.Run;
  const GlobalOptions& global = commandLine.Global;
  CLI::App* raw = commandLine.App.add_subcommand("raw", "Develop RAW files (no camera needed)");
  raw->require_subcommand(1);

  auto file = std::make_shared<std::string>();
  CLI::App* info = raw->add_subcommand("info", "Show the white balances of a RAW file");
  info->add_option("file", *file, "RAW file")->required()->check(CLI::ExistingFile);
  info->callback([&run, &global, file] {
    run = [&global, file](ToolHost& host) { ShowRAW(host, *file, global.Json); };
  });

  auto options = std::make_shared<DevelopOptions>();
  CLI::App* develop = raw->add_subcommand("develop", "Develop a RAW file into a TIFF or JPEG");
  develop->add_option("file", options->Input, "RAW file")->required()->check(CLI::ExistingFile);
  develop->add_option("output", options->Output, "Developed picture")->required();
  develop->add_option("--format", options->Format, "tiff, jpeg, thumbnail or jpeg-in-raw")
      ->transform(CLI::CheckedTransformer(FileFormats, CLI::ignore_case));
  develop->add_option("--bits", options->Bits, "Bits per pixel of a TIFF: 24 or 48")
      ->transform(CLI::CheckedTransformer(BitsPerPixel));
  develop
      ->add_option("--white-balance", options->WhiteBalance,
                   "White balance: auto, daylight, cloudy, tungsten, fluorescent, flash, shade, "
                   "colour-temperature (with --kelvin), ... or its number")
      ->transform(CLI::Validator(
          [](std::string& text) {
            const auto value = WhiteBalances().Parse(text);
            if (!value) {
              std::vector<std::int32_t> all;
              for (std::int32_t balance = 1; balance <= WhiteBalances().Highest(); ++balance) {
                all.push_back(balance);
              }
              return "not a white balance; the white balances are " +
                     ListMeanings(WhiteBalances(), all);
            }
            text = std::to_string(*value);
            return std::string();
          },
          "WHITE-BALANCE"));
  develop->add_option("--kelvin", options->Kelvin, "Colour temperature in Kelvin");
  develop->add_option("--icc", options->ICCProfile, "ICC profile to embed")
      ->check(CLI::ExistingFile);
  develop->add_option("--quality", options->Quality, "JPEG quality")->check(CLI::Range(1, 100));
  develop->callback(
      [&run, options] { run = [options](ToolHost& host) { Develop(host, *options); }; });
}

} // namespace vostrel::tools
