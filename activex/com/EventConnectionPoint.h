#pragma once
// The connection point of the event interface: the hosts' sinks, each held
// as IDispatch under a cookie, and the firing of one event at all of them.
// It lives inside its container object and shares that object's reference
// count.

#include "activex/com/ComPtr.h"

#include <windows.h>

#include <ocidl.h>
#include <olectl.h>

#include <cstdint>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace vostrel::com {

// One event argument: an integer (I4) or a string (BSTR).
using EventArgument = std::variant<std::int32_t, std::wstring>;

class TEventConnectionPoint final : public IConnectionPoint {
public:
  TEventConnectionPoint(IConnectionPointContainer& container, REFIID eventInterface)
      : container_(container), eventInterface_(eventInterface) {}
  ~TEventConnectionPoint();
  TEventConnectionPoint(const TEventConnectionPoint&) = delete;
  TEventConnectionPoint& operator=(const TEventConnectionPoint&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return container_.AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return container_.Release(); }

  HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override;
  HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** cpc) override;
  HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
  HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** connections) override;

  bool HasSinks() const noexcept { return !sinks_.empty(); }
  // Invokes the event's method on every sink, with the arguments in the
  // order of the event's declaration. A sink's failure is not reported.
  void Fire(DISPID event, const std::vector<EventArgument>& arguments) noexcept;
  // Releases every sink (when the object goes).
  void DisconnectAll() noexcept;

private:
  IConnectionPointContainer& container_;
  IID eventInterface_;
  std::vector<std::pair<DWORD, ComPtr<IDispatch>>> sinks_;
  DWORD nextCookie_ = 1;
};

} // namespace vostrel::com
