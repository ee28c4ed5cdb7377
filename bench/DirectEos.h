#pragma once
// The baseline of the EOS benchmarks: camera 0 of the loaded world driven
// straight through the binding of EDSDK.DLL that the backend uses
// (eos/EDSDK.h), without the controller, the control or their events. Each
// operation makes the SDK calls that the backend makes for the same work, in
// the way a host that talks to the SDK itself would make them.
//
// Every failing call raises ECamException, as in the backend.

#include "eos/EDSDKTYPES.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vostrel::bench {

class DirectEos {
public:
  // Starts the SDK and opens a session with camera 0.
  DirectEos();
  // Gives the references back, closes the session and ends the SDK.
  ~DirectEos();
  DirectEos(const DirectEos&) = delete;
  DirectEos& operator=(const DirectEos&) = delete;

  EdsCameraRef Camera() const { return camera_; }

  // The files of the first volume, depth first in the order the SDK numbers
  // them, each referenced until Release; with thumbnails, the thumbnail of
  // every ".JPG" file read whole from a memory stream.
  struct Listing {
    std::vector<EdsDirectoryItemRef> Files;
    std::vector<std::vector<std::uint8_t>> Thumbnails;
  };
  Listing ListCard(bool thumbnails);
  static void Release(Listing& listing);

  // Downloads a file item into a new file as the backend does: its size
  // from the item information, a file stream with a periodic progress
  // callback, the download, the stream given back and the download
  // completed.
  static void Download(EdsDirectoryItemRef item, const std::string& fileName,
                       EdsProgressCallback progress, void* context);

private:
  EdsCameraRef camera_ = nullptr;
};

} // namespace vostrel::bench
