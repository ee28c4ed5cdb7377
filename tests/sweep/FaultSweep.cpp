#include "FaultSweep.h"

#include "support/LoggedCalls.h"
#include "support/MessageOf.h"
#include "support/SimulatedLibrary.h"

#include <gtest/gtest.h>

#include <array>

namespace vostrel::test {

namespace {

// The result every injected failure returns: an internal error of the
// library, which no operation retries or treats as a special case.
constexpr std::uint32_t InjectedResult = 0x00000002;

constexpr std::array<const char*, 3> Libraries{"EDSDK.DLL", "PRSDK.DLL", "CDSDK.DLL"};

// Every simulated library reads its own section of the family's scenario,
// with callbacks on the calling thread, and no failure is injected.
void LoadWorld(const SweptFamily& family) {
  for (const char* library : Libraries) {
    sim::SimControlClient& simulator = SimulatedLibrary(library);
    simulator.clearFailures();
    simulator.loadScenario(family.Scenario);
    simulator.setSynchronousCallbacks(true);
  }
}

// A controller that has enumerated the cameras and gone through `Before`;
// the call log starts empty.
std::unique_ptr<SweepSession> Begin(const SweptOperation& operation) {
  LoadWorld(*operation.Family);
  auto session = std::make_unique<SweepSession>();
  session->Controller = std::make_unique<TVostrel>();
  // Released pictures are queued for fetching while the host listens.
  session->Controller->OnRemoteEvent = [](RemoteEventCallbackType,
                                          const AdditionNotifyRemoteEventType&) {};
  session->Controller->OpenCameraEnumeration();
  if (operation.Before) {
    operation.Before(*session);
  }
  SimulatedLibrary(operation.Family->Library).clearCallLog();
  return session;
}

// Goes through `After` and returns the SDK references still held then; the
// SDKs are finished afterwards.
std::size_t End(const SweptOperation& operation, SweepSession& session) {
  if (operation.After) {
    EXPECT_EQ(MessageOf([&] { operation.After(session); }), "") << "leaving the operation's state";
  }
  const std::size_t references = SimulatedLibrary(operation.Family->Library).liveReferences();
  session.Controller->CloseCameraEnumeration();
  session.Controller.reset();
  return references;
}

std::string ExpectedMessage(const SweptOperation& operation, const std::string& function,
                            std::size_t occurrence) {
  const auto& handled = operation.Handled;
  if (const auto found = handled.find(function + "#" + std::to_string(occurrence));
      found != handled.end()) {
    return found->second;
  }
  if (const auto found = handled.find(function); found != handled.end()) {
    return found->second;
  }
  return MessageOf([&] { operation.Family->Check(InjectedResult, function); });
}

} // namespace

void SweepOperation(const SweptOperation& operation, SweepTotals& totals) {
  SCOPED_TRACE(operation.Name);
  sim::SimControlClient& simulator = SimulatedLibrary(operation.Family->Library);

  // The successful run: the calls to sweep and the references it leaves.
  std::vector<std::string> calls;
  std::size_t references = 0;
  {
    auto session = Begin(operation);
    ASSERT_EQ(MessageOf([&] { operation.Run(*session); }), "");
    calls = LoggedFunctions(simulator);
    references = End(operation, *session);
  }
  ASSERT_FALSE(calls.empty()) << "the operation calls no SDK function";
  ++totals.Operations;

  std::map<std::string, std::size_t> seen;
  for (const std::string& function : calls) {
    const std::size_t occurrence = seen[function]++;
    const std::string fault = function + "#" + std::to_string(occurrence);
    if (operation.Pending.contains(fault)) {
      continue;
    }
    SCOPED_TRACE(function + " call " + std::to_string(occurrence) + " fails");
    ++totals.Faults;

    auto session = Begin(operation);
    simulator.injectFailure(function, InjectedResult, static_cast<std::uint32_t>(occurrence), 1);
    const std::string message = MessageOf([&] { operation.Run(*session); });
    simulator.clearFailures();
    EXPECT_EQ(message, ExpectedMessage(operation, function, occurrence));

    if (!message.empty()) {
      const SweepStep& again = operation.Again ? operation.Again : operation.Run;
      EXPECT_EQ(MessageOf([&] { again(*session); }), "") << "the operation after the failure";
    }
    // A release that fails leaves its object (and what the object holds)
    // with the library; any other failure must leave nothing behind.
    const std::size_t left = End(operation, *session);
    if (!operation.Family->Releases.contains(function)) {
      EXPECT_EQ(left, references) << "SDK references left behind";
    }
  }
}

} // namespace vostrel::test
