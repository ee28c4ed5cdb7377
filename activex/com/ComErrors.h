#pragma once
// Errors at the automation boundary. No C++ exception leaves a member of the
// interface: GuardedCall runs the member's work, and an error raised below
// becomes a failed HRESULT (E_UNEXPECTED, or the OLE code that the error
// carries) with the calling thread's error information set to its message.

#include "core/ECamException.h"

#include <windows.h>

#include <exception>
#include <new>
#include <string>

namespace vostrel::com {

// The ProgID reported as the source of every error.
inline constexpr wchar_t ProgID[] = L"VostrelActiveXXControl1.VostrelActiveXX";

// An error of the COM layer itself that carries its own OLE failure code.
class EOleError : public ECamException {
public:
  EOleError(HRESULT code, std::string message) : ECamException(std::move(message)), code_(code) {}
  HRESULT code() const noexcept { return code_; }

private:
  HRESULT code_;
};

// Sets the thread's error information (description, the interface's GUID,
// the ProgID as source) and returns the code.
HRESULT ReportError(HRESULT code, const std::string& message) noexcept;

// Runs work; S_OK when it completes, else the reported failure.
template <typename Work>
HRESULT GuardedCall(Work&& work) noexcept {
  try {
    work();
    return S_OK;
  } catch (const EOleError& error) {
    return ReportError(error.code(), error.message());
  } catch (const ECamException& error) {
    return ReportError(E_UNEXPECTED, error.message());
  } catch (const std::bad_alloc&) {
    return ReportError(E_OUTOFMEMORY, "Out of memory");
  } catch (const std::exception& error) {
    return ReportError(E_UNEXPECTED, error.what());
  } catch (...) {
    return ReportError(E_UNEXPECTED, "Unknown error");
  }
}

} // namespace vostrel::com
