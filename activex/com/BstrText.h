#pragma once
// Automation strings (BSTR, UTF-16): their owners, TBstr and TVariant, and
// the conversion to and from the control's strings, which are in the
// process's ANSI code page like every narrow Windows file name the camera
// layers pass on.

#include <windows.h>

#include <oleauto.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace vostrel::com {

// Owns one BSTR (or none: null is the empty string) and frees it.
class TBstr {
public:
  TBstr() noexcept = default;
  // Takes over a string that the caller owns.
  explicit TBstr(BSTR owned) noexcept : value_(owned) {}
  TBstr(TBstr&& other) noexcept : value_(other.Detach()) {}
  TBstr& operator=(TBstr&& other) noexcept {
    if (this != &other) {
      Reset(other.Detach());
    }
    return *this;
  }
  TBstr(const TBstr&) = delete;
  TBstr& operator=(const TBstr&) = delete;
  ~TBstr() { SysFreeString(value_); }

  BSTR Get() const noexcept { return value_; }
  // For an out parameter: frees the string held and gives the place for
  // the new one.
  BSTR* Out() noexcept {
    Reset();
    return &value_;
  }
  // Hands the string to the caller, who owns it from now on.
  BSTR Detach() noexcept { return std::exchange(value_, nullptr); }
  void Reset(BSTR owned = nullptr) noexcept { SysFreeString(std::exchange(value_, owned)); }

private:
  BSTR value_ = nullptr;
};

// A VARIANT that owns what it holds (a string, an interface reference) and
// clears itself. It adds no data, so an array of them is an array of
// VARIANT, as DISPPARAMS takes it.
class TVariant : public VARIANT {
public:
  TVariant() noexcept { VariantInit(this); }
  explicit TVariant(std::int32_t number) noexcept : TVariant() {
    vt = VT_I4;
    lVal = number;
  }
  // Takes the string over.
  explicit TVariant(TBstr text) noexcept : TVariant() {
    vt = VT_BSTR;
    bstrVal = text.Detach();
  }
  TVariant(TVariant&& other) noexcept : VARIANT(other) { VariantInit(&other); }
  TVariant& operator=(TVariant&& other) noexcept {
    if (this != &other) {
      VariantClear(this);
      static_cast<VARIANT&>(*this) = other;
      VariantInit(&other);
    }
    return *this;
  }
  TVariant(const TVariant&) = delete;
  TVariant& operator=(const TVariant&) = delete;
  ~TVariant() { VariantClear(this); }
};
static_assert(sizeof(TVariant) == sizeof(VARIANT));

// A null BSTR is the empty string.
std::string TextFromBstr(BSTR value);
std::wstring WideFromText(const std::string& text);
// New strings; both raise EOleError(E_OUTOFMEMORY) when the string cannot
// be allocated.
TBstr BstrFromWide(std::wstring_view text);
TBstr BstrFromText(const std::string& text);

} // namespace vostrel::com
