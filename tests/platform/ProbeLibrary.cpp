// A library with one exported C function, loaded by the DynamicLibrary tests.

#include "ProbeExport.h"

PROBE_EXPORT int PlatformProbeTwicePlusOne(int value) {
  return 2 * value + 1;
}
