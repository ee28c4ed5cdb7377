#include "activex/com/EventConnectionPoint.h"

#include "activex/com/BstrText.h"
#include "activex/com/ComEnumerator.h"

#include <oleauto.h>

#include <algorithm>

namespace vostrel::com {

namespace {

TVariant ToVariant(const EventArgument& argument) {
  if (const auto* number = std::get_if<std::int32_t>(&argument)) {
    return TVariant(*number);
  }
  return TVariant(BstrFromWide(std::get<std::wstring>(argument)));
}

} // namespace

TEventConnectionPoint::~TEventConnectionPoint() {
  DisconnectAll();
}

HRESULT STDMETHODCALLTYPE TEventConnectionPoint::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) {
    return E_POINTER;
  }
  if (iid == IID_IUnknown || iid == IID_IConnectionPoint) {
    *object = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE TEventConnectionPoint::GetConnectionInterface(IID* iid) {
  if (iid == nullptr) {
    return E_POINTER;
  }
  *iid = eventInterface_;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE
TEventConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** cpc) {
  if (cpc == nullptr) {
    return E_POINTER;
  }
  return ComPtr<IConnectionPointContainer>(&container_).CopyTo(cpc);
}

HRESULT STDMETHODCALLTYPE TEventConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
  if (cookie == nullptr) {
    return E_POINTER;
  }
  *cookie = 0;
  if (sink == nullptr) {
    return E_POINTER;
  }
  // A sink implements the event interface as a dispatch interface; one that
  // answers only for IDispatch is accepted as well.
  ComPtr<IDispatch> dispatch;
  if (FAILED(sink->QueryInterface(eventInterface_, &dispatch)) &&
      FAILED(sink->QueryInterface(IID_IDispatch, &dispatch))) {
    return CONNECT_E_CANNOTCONNECT;
  }
  try {
    sinks_.emplace_back(nextCookie_, std::move(dispatch));
  } catch (...) {
    return E_OUTOFMEMORY;
  }
  *cookie = nextCookie_++;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TEventConnectionPoint::Unadvise(DWORD cookie) {
  auto found = std::find_if(sinks_.begin(), sinks_.end(),
                            [cookie](const auto& sink) { return sink.first == cookie; });
  if (found == sinks_.end()) {
    return CONNECT_E_NOCONNECTION;
  }
  // Released once the list is whole again: the sink may call back.
  const ComPtr<IDispatch> leaving = std::move(found->second);
  sinks_.erase(found);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TEventConnectionPoint::EnumConnections(IEnumConnections** connections) {
  if (connections == nullptr) {
    return E_POINTER;
  }
  *connections = nullptr;
  try {
    std::vector<CONNECTDATA> snapshot;
    for (const auto& [cookie, dispatch] : sinks_) {
      snapshot.push_back(CONNECTDATA{dispatch.Get(), cookie});
    }
    *connections = new TEnumConnections(snapshot);
    return S_OK;
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}

void TEventConnectionPoint::Fire(DISPID event,
                                 const std::vector<EventArgument>& arguments) noexcept {
  if (sinks_.empty()) {
    return;
  }
  try {
    // DISPPARAMS lists the arguments from the last to the first.
    std::vector<TVariant> reversed;
    reversed.reserve(arguments.size());
    for (auto argument = arguments.rbegin(); argument != arguments.rend(); ++argument) {
      reversed.push_back(ToVariant(*argument));
    }
    DISPPARAMS parameters{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    // A sink may unadvise itself while it runs: fire at a snapshot.
    std::vector<ComPtr<IDispatch>> targets;
    targets.reserve(sinks_.size());
    for (const auto& sink : sinks_) {
      targets.push_back(sink.second);
    }
    for (ComPtr<IDispatch>& target : targets) {
      target->Invoke(event, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &parameters, nullptr,
                     nullptr, nullptr);
      target.Reset();
    }
  } catch (...) {
    // Firing at the host is not reported back to the camera side.
  }
}

void TEventConnectionPoint::DisconnectAll() noexcept {
  // Released once the list is empty: a sink may call back.
  std::vector<std::pair<DWORD, ComPtr<IDispatch>>> sinks;
  sinks.swap(sinks_);
  sinks.clear();
}

} // namespace vostrel::com
