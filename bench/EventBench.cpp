// Event dispatch: an EDSDK property event handed to the controller's static
// handler, which finds its controller through the instance registry and
// fires the component event, against calling the event's receiver directly.
// Once for a controller, once for a control, whose bridge passes the event
// on with public values.

#include "activex/VostrelActiveX.h"
#include "bench/BenchSupport.h"
#include "core/Vostrel.h"

#include <cstdint>

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

[[maybe_unused]] const bool registered =
    RegisterPair("Property event to a controller", ControllerReceiverCalled,
                 ControllerEventDispatched) &&
    RegisterPair("Property event to a control", ControlReceiverCalled, ControlEventDispatched);

} // namespace
} // namespace vostrel::bench
