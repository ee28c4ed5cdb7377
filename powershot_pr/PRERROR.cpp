#include "powershot_pr/PRERROR.h"

#include "core/SdkErrors.h"

namespace vostrel {
namespace {

// Sorted by code, so a code is found by binary search. The 0x2000 group is
// the response codes of the picture transfer protocol, the 0xA000 group the
// camera's own extension codes.
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
    {0x0021, "Invalid parameter"},
    {0x0022, "Invalid handle"},
    {0x0061, "Invalid function call"},
    {0x0062, "Wait timeout error"},
    {0x0063, "Insufficient buffer"},
    {0x0064, "Event callback exists"},
    {0x2000, "Undefined"},
    {0x2002, "General error"},
    {0x2003, "Session not ppen"},
    {0x2004, "Invalid transaction ID"},
    {0x2005, "Operation not supported"},
    {0x2006, "Parameter not supported"},
    {0x2007, "Incomplete transfer"},
    {0x2008, "Invalid storage ID"},
    {0x2009, "Invalid object handle"},
    {0x200A, "Device property not supported"},
    {0x200B, "Invalid object format code"},
    {0x200C, "Store full"},
    {0x200D, "Object write protected"},
    {0x200E, "Store read only"},
    {0x200F, "Access denied"},
    {0x2010, "No thumbnail present"},
    {0x2011, "Self test failed"},
    {0x2012, "Partial deletion"},
    {0x2013, "Store not available"},
    {0x2014, "Specification by format unsupported"},
    {0x2015, "No valid object info"},
    {0x2016, "Invalid code format"},
    {0x2017, "Unknown vendor code"},
    {0x2018, "Capture already terminated"},
    {0x2019, "Device busy"},
    {0x201A, "Invalid parent object"},
    {0x201B, "Invalid device property format"},
    {0x201C, "Invalid device property value"},
    {0x201D, "Invalid parameter"},
    {0x201E, "Session already open"},
    {0x201F, "Transaction cancelled"},
    {0x2020, "Specification of destination unsupported"},
    {0xA000, "Extension undefined"},
    {0xA001, "Extension unknown command received"},
    {0xA002, "Extension memoey allocation failed"},
    {0xA003, "Extension internal error"},
    {0xA004, "Extension dir IO error"},
    {0xA005, "Extension refused by other process"},
    {0xA006, "Extension cover closed"},
    {0xA007, "Extension no release"},
    {0xA008, "Extension device is hot"},
    {0xA009, "Extension low battery"},
    {0xA00A, "Extension already exit"},
};

static_assert(sdk::SortedByCode(ErrorTexts), "the error table must stay sorted by code");

} // namespace

const char* PRErrorText(std::uint32_t code) noexcept {
  return sdk::ErrorTextOf(ErrorTexts, code);
}

void CheckPRError(std::uint32_t result, const std::string& functionName) {
  if (result != 0) {
    sdk::RaiseSdkError(result, functionName, PRErrorText(result));
  }
}

} // namespace vostrel
