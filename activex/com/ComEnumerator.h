#pragma once
// A COM enumerator (IEnumConnections, IEnumConnectionPoints) over a snapshot
// of items. The snapshot holds a reference to every item for as long as it
// lives; traits say how an item is held and how it is handed out, with a
// reference of the caller's own.

#include "activex/com/ComPtr.h"
#include "activex/com/ServerModule.h"

#include <windows.h>

#include <ocidl.h>

#include <atomic>
#include <vector>

namespace vostrel::com {

template <typename Interface, typename Item, typename Traits>
class TComEnumerator final : public Interface {
public:
  using Held = typename Traits::Held;

  // Takes its own reference to every item.
  explicit TComEnumerator(const std::vector<Item>& items) : position_(0) {
    held_.reserve(items.size());
    for (const Item& item : items) {
      held_.push_back(Traits::Hold(item));
    }
    ObjectCreated();
  }
  TComEnumerator(const TComEnumerator&) = delete;
  TComEnumerator& operator=(const TComEnumerator&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) {
      return E_POINTER;
    }
    if (iid == IID_IUnknown || iid == __uuidof(Interface)) {
      *object = static_cast<Interface*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) {
      delete this;
    }
    return left;
  }

  HRESULT STDMETHODCALLTYPE Next(ULONG count, Item* items, ULONG* fetched) override {
    if (items == nullptr || (count > 1 && fetched == nullptr)) {
      return E_POINTER;
    }
    ULONG done = 0;
    for (; done < count && position_ < held_.size(); ++done, ++position_) {
      items[done] = Traits::HandOut(held_[position_]);
    }
    if (fetched != nullptr) {
      *fetched = done;
    }
    return done == count ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
    const std::size_t left = held_.size() - position_;
    if (count > left) {
      position_ = held_.size();
      return S_FALSE;
    }
    position_ += count;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Reset() override {
    position_ = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Clone(Interface** clone) override {
    if (clone == nullptr) {
      return E_POINTER;
    }
    *clone = nullptr;
    try {
      *clone = new TComEnumerator(held_, position_);
      return S_OK;
    } catch (...) {
      return E_OUTOFMEMORY;
    }
  }

private:
  // A clone: copies of the held references, at the same position.
  TComEnumerator(const std::vector<Held>& held, std::size_t position)
      : held_(held), position_(position) {
    ObjectCreated();
  }
  ~TComEnumerator() {
    // The items go before the object count drops, which may let the library
    // go.
    held_.clear();
    ObjectDestroyed();
  }

  std::vector<Held> held_;
  std::size_t position_;
  std::atomic<ULONG> references_{1};
};

struct ConnectDataTraits {
  struct Held {
    ComPtr<IUnknown> sink;
    DWORD cookie;
  };
  static Held Hold(const CONNECTDATA& item) { return Held{item.pUnk, item.dwCookie}; }
  static CONNECTDATA HandOut(const Held& held) {
    CONNECTDATA item{nullptr, held.cookie};
    held.sink.CopyTo(&item.pUnk);
    return item;
  }
};
struct ConnectionPointTraits {
  using Held = ComPtr<IConnectionPoint>;
  static Held Hold(IConnectionPoint* item) { return Held(item); }
  static IConnectionPoint* HandOut(const Held& held) {
    IConnectionPoint* item = nullptr;
    held.CopyTo(&item);
    return item;
  }
};

using TEnumConnections = TComEnumerator<IEnumConnections, CONNECTDATA, ConnectDataTraits>;
using TEnumConnectionPoints =
    TComEnumerator<IEnumConnectionPoints, IConnectionPoint*, ConnectionPointTraits>;

} // namespace vostrel::com
