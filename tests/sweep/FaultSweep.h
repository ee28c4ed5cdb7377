#pragma once
// The fault-injection sweep: an operation of the controller runs once against
// a simulated SDK library while the library logs its calls; then, for each
// logged call in turn, the operation runs again from the same state with that
// one call failing. Every such run must end with the message of that call's
// check (or without an error where the operation ignores the call's result),
// leave no SDK reference more behind than the successful run, and leave the
// controller able to run the operation again.

#include "core/Vostrel.h"
#include "sim/SimControlClient.h"

#include "core/TempFolder.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace vostrel::test {

// What the steps of an operation share: the controller, a folder for files
// and the card list of an open collection.
struct SweepSession {
  std::unique_ptr<TVostrel> Controller;
  TempFolder Folder;
  ImageListType Pictures;
  RemoteParamsType Params{};
  std::string File(const std::string& name) const { return Folder.file(name); }
};

using SweepStep = std::function<void(SweepSession&)>;

// One camera family: its simulated library, the scenarios of the three
// libraries that give it one camera and the others none, and its result check.
struct SweptFamily {
  const char* Library;
  const char* Scenario;
  // The binding's check of a result: raises for any result but 0.
  void (*Check)(std::uint32_t result, const std::string& function);
  // Calls that give an object back to the library (or finish it): when one
  // fails, the library still holds the object.
  std::set<std::string> Releases;
};

// One public operation, swept from the state that `Before` leaves; `After`
// leaves that state again (for example by ending remote mode).
struct SweptOperation {
  const char* Name;
  const SweptFamily* Family;
  SweepStep Before;
  SweepStep Run;
  SweepStep After;
  // The message when a call fails, where it is not the call's own check:
  // "" for a call whose result is ignored. Keys are function names, or
  // "name#n" for the n-th call of the function in the operation (from 0).
  std::map<std::string, std::string> Handled;
  // Faults the sweep has found and that are not mended yet ("name#n"): their
  // run is skipped until they are.
  std::set<std::string> Pending = {};
  // What must work after a failed run, where it is not the operation itself
  // (a failed fetch consumes the released picture, so another is taken).
  SweepStep Again = nullptr;
};

struct SweepTotals {
  std::size_t Operations = 0;
  std::size_t Faults = 0;
};

// Sweeps one operation; failures are reported through GoogleTest.
void SweepOperation(const SweptOperation& operation, SweepTotals& totals);

} // namespace vostrel::test
