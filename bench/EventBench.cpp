// Event dispatch: an EDSDK property event handed to the controller's static
// handler, which finds its controller through the instance registry and
// fires the component event, against calling the event's receiver directly.
// Once for a controller, once for a control, whose bridge passes the event
// on with public values.
//
// Then the way a camera really sends it: the simulator raises a property
// event on its own thread (asynchronous callbacks) and a receiver of the
// host waits for it, once for the control's event handler, once for a
// function of its own registered with the SDK (EdsSetPropertyEventHandler
// through the binding of EDSDK.DLL, DirectEos). One event at a time for the
// latency (counters: median and 99th percentile in microseconds from the
// raise to the receiver), and bursts of events for the throughput (counter:
// events per second).

#include "activex/VostrelActiveX.h"
#include "bench/BenchSupport.h"
#include "bench/DirectEos.h"
#include "bench/SimulatedCamera.h"
#include "core/Vostrel.h"
#include "eos/EDSDK.h"
#include "sim/SimControl.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <vector>

namespace vostrel::bench {
namespace {

constexpr std::uint32_t PropertyChanged = 0x0101;
constexpr std::uint32_t ApertureProperty = 0x0405;

// The host's receiver of the event: it only counts.
struct Receiver {
  std::int64_t Events = 0;
};

// The handler as the SDK calls it: the context is the address of the
// controller's registry position.
void RaisePropertyEvent(std::int32_t& instanceIndex) {
  TVostrel::EOSPropertyEventHandler(PropertyChanged, ApertureProperty, 0, &instanceIndex);
}

void ControllerReceiverCalled(benchmark::State& state) {
  TVostrel controller;
  Receiver receiver;
  controller.OnEvent = [&receiver](EventCallbackType) { ++receiver.Events; };
  const EventCallbackType event{EventSeverityType::EventSeverityInfo,
                                EventEnumType::EventRemoteParameterChanged};
  for (auto _ : state) {
    controller.OnEvent(event);
  }
  benchmark::DoNotOptimize(receiver.Events);
}

void ControllerEventDispatched(benchmark::State& state) {
  TVostrel controller;
  Receiver receiver;
  controller.OnEvent = [&receiver](EventCallbackType) { ++receiver.Events; };
  std::int32_t instanceIndex = controller.GetInstanceIndex();
  for (auto _ : state) {
    RaisePropertyEvent(instanceIndex);
  }
  benchmark::DoNotOptimize(receiver.Events);
}

void ControlReceiverCalled(benchmark::State& state) {
  TVostrelActiveX control;
  Receiver receiver;
  control.OnEvent = [&receiver](TxEventSeverityType, TxEventEnumType) { ++receiver.Events; };
  for (auto _ : state) {
    control.OnEvent(EventSeverityInfo, EventRemoteParameterChanged);
  }
  benchmark::DoNotOptimize(receiver.Events);
}

void ControlEventDispatched(benchmark::State& state) {
  TVostrelActiveX control;
  Receiver receiver;
  control.OnEvent = [&receiver](TxEventSeverityType, TxEventEnumType) { ++receiver.Events; };
  std::int32_t instanceIndex = control.Controller().GetInstanceIndex();
  for (auto _ : state) {
    RaisePropertyEvent(instanceIndex);
  }
  benchmark::DoNotOptimize(receiver.Events);
}

// The host's receiver of events from the SDK's thread: it notes how long
// after its raise each event arrived and wakes the thread waiting for it.
class AsyncReceiver {
public:
  using Clock = std::chrono::steady_clock;

  void Receive() {
    latencies_.push_back(std::chrono::duration<double, std::micro>(Clock::now() - raised_).count());
    received_.fetch_add(1, std::memory_order_release);
    received_.notify_one();
  }

  // Raises this many property events on camera 0 and waits until they all
  // arrived.
  void RaiseAndWait(std::uint64_t events) {
    const std::uint64_t expected = received_.load(std::memory_order_acquire) + events;
    raised_ = Clock::now();
    for (std::uint64_t i = 0; i < events; ++i) {
      Simulator().raiseEvent(0, VOSTREL_SIM_PROPERTY_EVENT, PropertyChanged, ApertureProperty);
    }
    for (std::uint64_t seen = received_.load(std::memory_order_acquire); seen < expected;
         seen = received_.load(std::memory_order_acquire)) {
      received_.wait(seen, std::memory_order_acquire);
    }
  }

  // The latency at the fraction of the sorted latencies, in microseconds.
  double Percentile(double fraction) const {
    if (latencies_.empty()) {
      return 0;
    }
    std::vector<double> sorted = latencies_;
    std::sort(sorted.begin(), sorted.end());
    return sorted[static_cast<std::size_t>(fraction * static_cast<double>(sorted.size() - 1))];
  }

private:
  // Written before the raise; the SDK's thread reads it after.
  Clock::time_point raised_;
  // Written only by the SDK's thread, read once every event arrived.
  std::vector<double> latencies_;
  std::atomic<std::uint64_t> received_{0};
};

constexpr std::uint64_t Burst = 1000;

// Either one event per iteration, or a burst.
void MeasureEvents(benchmark::State& state, AsyncReceiver& receiver, std::uint64_t perIteration) {
  Simulator().setSynchronousCallbacks(false);
  const auto started = AsyncReceiver::Clock::now();
  for (auto _ : state) {
    receiver.RaiseAndWait(perIteration);
  }
  const double seconds =
      std::chrono::duration<double>(AsyncReceiver::Clock::now() - started).count();
  Simulator().waitIdle();
  if (perIteration == 1) {
    ReportRatio(state, "latency median us", receiver.Percentile(0.5));
    ReportRatio(state, "latency p99 us", receiver.Percentile(0.99));
  } else {
    ReportRatio(state, "events/s",
                static_cast<double>(state.iterations()) * static_cast<double>(perIteration) /
                    seconds);
  }
}

EdsError EDSCALLBACK DirectPropertyEvent(EdsUInt32 event, EdsUInt32, EdsUInt32, void* context) {
  if (event == PropertyChanged) {
    static_cast<AsyncReceiver*>(context)->Receive();
  }
  return 0;
}

void EventsToDirectCallback(benchmark::State& state, std::uint64_t perIteration) {
  SimulatedWorld world(OneCameraScenario(nlohmann::json::array()));
  DirectEos camera;
  AsyncReceiver receiver;
  edsdk::EdsSetPropertyEventHandler.checked(camera.Camera(), EdsPropertyEventAll,
                                            &DirectPropertyEvent, static_cast<void*>(&receiver));
  MeasureEvents(state, receiver, perIteration);
  edsdk::EdsSetPropertyEventHandler.checked(camera.Camera(), EdsPropertyEventAll, nullptr, nullptr);
}

void EventsToControl(benchmark::State& state, std::uint64_t perIteration) {
  SimulatedWorld world(OneCameraScenario(nlohmann::json::array()));
  AsyncReceiver receiver;
  Connected<TVostrelActiveX> camera;
  camera.component.OnEvent = [&receiver](TxEventSeverityType, TxEventEnumType) {
    receiver.Receive();
  };
  MeasureEvents(state, receiver, perIteration);
}

Body Events(void (*measure)(benchmark::State&, std::uint64_t), std::uint64_t perIteration) {
  return [measure, perIteration](benchmark::State& state) { measure(state, perIteration); };
}

[[maybe_unused]] const bool registered =
    RegisterPair("Property event to a controller", ControllerReceiverCalled,
                 ControllerEventDispatched) &&
    RegisterPair("Property event to a control", ControlReceiverCalled, ControlEventDispatched) &&
    RegisterPair("Camera event from the SDK's thread to a control, one at a time",
                 Events(EventsToDirectCallback, 1), Events(EventsToControl, 1)) &&
    RegisterPair("Camera event from the SDK's thread to a control, bursts of 1000",
                 Events(EventsToDirectCallback, Burst), Events(EventsToControl, Burst));

} // namespace
} // namespace vostrel::bench
