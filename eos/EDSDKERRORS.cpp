#include "eos/EDSDKERRORS.h"

#include "core/SdkErrors.h"

namespace vostrel {
namespace {

// Sorted by code, so a code is found by binary search.
constexpr sdk::ErrorText ErrorTexts[] = {
    {0x0001, "Unimplemented"},
    {0x0002, "Internal error"},
    {0x0003, "Memory allocation failed"},
    {0x0004, "Memory free failed"},
    {0x0005, "Operation cancelled"},
    {0x0006, "Incompatible version"},
    {0x0007, "Not supported"},
    {0x0008, "Unexpected exception"},
    {0x0009, "Protection violation"},
    {0x000A, "Mission subcomponent"},
    {0x000B, "Selection unavailable"},
    {0x0020, "File IO error"},
    {0x0021, "File too many open"},
    {0x0022, "File not found"},
    {0x0023, "File open error"},
    {0x0024, "File close error"},
    {0x0025, "File seek error"},
    {0x0026, "File tell error"},
    {0x0027, "File read error"},
    {0x0028, "File write error"},
    {0x0029, "File permission error"},
    {0x002A, "File disk full error"},
    {0x002B, "File already exists"},
    {0x002C, "File format unrecognized"},
    {0x002D, "File data corrupt"},
    {0x002E, "File naming not applicable"},
    {0x0040, "Directory not found"},
    {0x0041, "Directory IO error"},
    {0x0042, "Directory entry not found"},
    {0x0043, "Directory entry exists"},
    {0x0044, "Directory not empty"},
    {0x0050, "Properties unavailable"},
    {0x0051, "Properties mismatch"},
    {0x0053, "Properties not loaded"},
    {0x0060, "Invalid parameter"},
    {0x0061, "Invalid handle"},
    {0x0062, "Invalid pointer"},
    {0x0063, "Invalid index"},
    {0x0064, "Invalid length"},
    {0x0065, "Invalid function pointer"},
    {0x0066, "Invalid sort function"},
    {0x0080, "Device not found"},
    {0x0081, "Device busy"},
    {0x0082, "Device invalid"},
    {0x0083, "Device emergency"},
    {0x0084, "Device memory full"},
    {0x0085, "Device internal error"},
    {0x0086, "Device invalid parameter"},
    {0x0087, "Device no disk"},
    {0x0088, "Device disk error"},
    {0x0089, "Device CompactFlash gate changed"},
    {0x008A, "Device dial changed"},
    {0x008B, "Device not installed"},
    {0x008C, "Device stay awake"},
    {0x008D, "Device not released"},
    {0x00A0, "Stream IO error"},
    {0x00A1, "Stream not open"},
    {0x00A2, "Stream already open"},
    {0x00A3, "Stream open error"},
    {0x00A4, "Stream close error"},
    {0x00A5, "Stream seek error"},
    {0x00A6, "Stream tell error"},
    {0x00A7, "Stream read error"},
    {0x00A8, "Stream write error"},
    {0x00A9, "Stream permission error"},
    {0x00AA, "Stream could not begin thread"},
    {0x00AB, "Stream bad options"},
    {0x00AC, "Stream end of stream"},
    {0x00C0, "Communication port in use"},
    {0x00C1, "Communication disconnected"},
    {0x00C2, "Communication device incompatible"},
    {0x00C3, "Communication buffer full"},
    {0x00C4, "Communication USB bus error"},
    {0x00D0, "USB device lock error"},
    {0x00D1, "USB device unlock error"},
    {0x00E0, "STI unknown error"},
    {0x00E1, "STI internal error"},
    {0x00E2, "STI device create error"},
    {0x00E3, "STI device release error"},
    {0x00E4, "STI device not launched"},
    {0x00F0, "Enum not applicable"},
    {0x00F1, "Invalid function call"},
    {0x00F2, "Handle not found"},
    {0x00F3, "Invalid ID"},
    {0x00F4, "Wait timeout error"},
    {0x00F5, "PTP last generic error plus one"},
    {0x2003, "PTP session not open"},
    {0x2004, "PTP invalid transaction id"},
    {0x2007, "PTP incomplete transfer"},
    {0x2008, "PTP invalid strage id"},
    {0x200A, "PTP device property not supported"},
    {0x200B, "PTP invalid object format code"},
    {0x2011, "PTP self test failed"},
    {0x2012, "PTP partial deletion"},
    {0x2014, "PTP specification by format unsupported"},
    {0x2015, "PTP no valid object info"},
    {0x2016, "PTP invalid code format"},
    {0x2017, "PTP unknown vender code"},
    {0x2018, "PTP capture already terminated"},
    {0x201A, "PTP invalid parent object"},
    {0x201B, "PTP invalid device prop format"},
    {0x201C, "PTP invalid device prop value"},
    {0x201E, "PTP session already open"},
    {0x201F, "PTP transaction cancelled"},
    {0x2020, "PTP specification of destination unsupported"},
    {0xA001, "PTP unknown command"},
    {0xA005, "PTP operation refused"},
    {0xA006, "PTP lenc cover close"},
};

static_assert(sdk::SortedByCode(ErrorTexts), "the error table must stay sorted by code");

} // namespace

const char* EdsErrorText(std::uint32_t code) noexcept {
  return sdk::ErrorTextOf(ErrorTexts, code);
}

void CheckEdsError(std::uint32_t result, const std::string& functionName) {
  if (result != 0) {
    sdk::RaiseSdkError(result, functionName, EdsErrorText(result));
  }
}

} // namespace vostrel
