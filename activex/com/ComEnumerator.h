#pragma once
// A COM enumerator (IEnumConnections, IEnumConnectionPoints) over a snapshot
// of items. Traits say how an item is copied out (with its reference) and
// released when the snapshot goes.

#include "activex/com/ServerModule.h"

#include <windows.h>

#include <ocidl.h>

#include <atomic>
#include <vector>

namespace vostrel::com {

template <typename Interface, typename Item, typename Traits>
class TComEnumerator final : public Interface {
public:
  // Takes its own reference to every item.
  explicit TComEnumerator(const std::vector<Item>& items, std::size_t position = 0)
      : items_(items), position_(position) {
    for (Item& item : items_) {
      Traits::AddRef(item);
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
    for (; done < count && position_ < items_.size(); ++done, ++position_) {
      items[done] = items_[position_];
      Traits::AddRef(items[done]);
    }
    if (fetched != nullptr) {
      *fetched = done;
    }
    return done == count ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
    const std::size_t left = items_.size() - position_;
    if (count > left) {
      position_ = items_.size();
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
      *clone = new TComEnumerator(items_, position_);
      return S_OK;
    } catch (...) {
      return E_OUTOFMEMORY;
    }
  }

private:
  ~TComEnumerator() {
    for (Item& item : items_) {
      Traits::Release(item);
    }
    ObjectDestroyed();
  }

  std::vector<Item> items_;
  std::size_t position_;
  std::atomic<ULONG> references_{1};
};

struct ConnectDataTraits {
  static void AddRef(CONNECTDATA& item) { item.pUnk->AddRef(); }
  static void Release(CONNECTDATA& item) { item.pUnk->Release(); }
};
struct ConnectionPointTraits {
  static void AddRef(IConnectionPoint* item) { item->AddRef(); }
  static void Release(IConnectionPoint* item) { item->Release(); }
};

using TEnumConnections = TComEnumerator<IEnumConnections, CONNECTDATA, ConnectDataTraits>;
using TEnumConnectionPoints =
    TComEnumerator<IEnumConnectionPoints, IConnectionPoint*, ConnectionPointTraits>;

} // namespace vostrel::com
