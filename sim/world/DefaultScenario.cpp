#include "sim/world/DefaultScenario.h"

namespace vostrel::sim {

const char* defaultScenarioText() {
  return R"json({
  "eos": {
    "cameras": [
      {
        "model": "EOS Studio",
        "owner": "Studio North",
        "port": "USB:001",
        "bodyId": 1420031234,
        "battery": 80,
        "clock": "2024-05-01T09:30:00",
        "availableShots": 312,
        "captureFolder": "DCIM/101EOSST",
        "volumes": [
          {
            "label": "CF",
            "files": [
              "DCIM/100EOSST/IMG_0001.JPG",
              "DCIM/100EOSST/IMG_0002.CR2",
              "DCIM/100EOSST/IMG_0003.JPG",
              "DCIM/101EOSST/IMG_0004.JPG",
              "DCIM/101EOSST/IMG_0005.JPG",
              { "path": "DCIM/101EOSST/IMG_0006.CR2", "whiteBalance": 3, "kelvin": 3200 }
            ]
          }
        ],
        "properties": {
          "PhotoEffect": null
        }
      },
      {
        "model": "EOS Travel",
        "owner": "",
        "port": "USB:002",
        "bodyId": 560078,
        "battery": 255,
        "clock": "2024-05-01T09:30:00",
        "availableShots": 1200,
        "captureFolder": "DCIM/100EOSTR",
        "volumes": [
          {
            "label": "SD",
            "files": ["DCIM/100EOSTR/IMG_0101.JPG", "DCIM/100EOSTR/IMG_0102.JPG"]
          }
        ],
        "properties": {
          "PictureStyle": null,
          "WhiteBalanceShift": null,
          "Av": { "accepted": [32, 35, 37, 40, 43, 45, 48, 51, 53, 56, 59, 61, 64, 67, 69, 72] }
        }
      }
    ]
  },
  "pr": {
    "cameras": [
      {
        "model": "Simulated Pro",
        "owner": "Field Team",
        "volumes": [
          { "label": "SD", "files": ["DCIM/100_PSHT/IMG_0201.JPG", "DCIM/100_PSHT/IMG_0202.JPG"] }
        ]
      }
    ]
  },
  "cd": {
    "cameras": [
      {
        "model": "Simulated Classic",
        "owner": "",
        "volumes": [
          {
            "label": "CF",
            "files": [
              "DCIM/100_PSHT/IMG_0301.JPG",
              "DCIM/100_PSHT/IMG_0302.JPG",
              "DCIM/100_PSHT/IMG_0303.JPG",
              "DCIM/101_PSHT/IMG_0304.JPG"
            ]
          }
        ],
        "properties": {
          "ReleaseControlFaculty": 1073741847,
          "MaximumZoom": 12,
          "MaximumOpticalZoom": 5
        }
      }
    ]
  }
})json";
}

} // namespace vostrel::sim
