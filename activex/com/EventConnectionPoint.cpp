#include "activex/com/EventConnectionPoint.h"

#include "activex/com/ComEnumerator.h"

#include <oleauto.h>

#include <algorithm>

namespace vostrel::com {

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
  *cpc = &container_;
  container_.AddRef();
  return S_OK;
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
  IDispatch* dispatch = nullptr;
  if (FAILED(sink->QueryInterface(eventInterface_, reinterpret_cast<void**>(&dispatch))) &&
      FAILED(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch)))) {
    return CONNECT_E_CANNOTCONNECT;
  }
  try {
    sinks_.emplace_back(nextCookie_, dispatch);
  } catch (...) {
    dispatch->Release();
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
  IDispatch* dispatch = found->second;
  sinks_.erase(found);
  dispatch->Release();
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
      snapshot.push_back(CONNECTDATA{dispatch, cookie});
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
    std::vector<VARIANT> reversed(arguments.size());
    for (std::size_t i = 0; i < arguments.size(); ++i) {
      VARIANT& slot = reversed[arguments.size() - 1 - i];
      VariantInit(&slot);
      if (const auto* number = std::get_if<std::int32_t>(&arguments[i])) {
        slot.vt = VT_I4;
        slot.lVal = *number;
      } else {
        const std::wstring& text = std::get<std::wstring>(arguments[i]);
        slot.vt = VT_BSTR;
        slot.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
      }
    }
    DISPPARAMS parameters{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    // A sink may unadvise itself while it runs: fire at a snapshot.
    std::vector<IDispatch*> targets;
    for (const auto& sink : sinks_) {
      sink.second->AddRef();
      targets.push_back(sink.second);
    }
    for (IDispatch* target : targets) {
      target->Invoke(event, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &parameters, nullptr,
                     nullptr, nullptr);
      target->Release();
    }
    for (VARIANT& slot : reversed) {
      VariantClear(&slot);
    }
  } catch (...) {
    // Firing at the host is not reported back to the camera side.
  }
}

void TEventConnectionPoint::DisconnectAll() noexcept {
  std::vector<std::pair<DWORD, IDispatch*>> sinks;
  sinks.swap(sinks_);
  for (auto& sink : sinks) {
    sink.second->Release();
  }
}

} // namespace vostrel::com
