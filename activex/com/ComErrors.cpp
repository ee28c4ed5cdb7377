#include "activex/com/ComErrors.h"

#include "activex/com/BstrText.h"
#include "activex/com/ComPtr.h"

#include "VostrelActiveXXControl1_TLB.h"

#include <oleauto.h>

namespace vostrel::com {

HRESULT ReportError(HRESULT code, const std::string& message) noexcept {
  try {
    ComPtr<ICreateErrorInfo> creator;
    if (FAILED(CreateErrorInfo(&creator))) {
      return code;
    }
    const std::wstring description = WideFromText(message);
    creator->SetGUID(IID_IVostrelActiveXX);
    creator->SetSource(const_cast<LPOLESTR>(ProgID));
    creator->SetDescription(const_cast<LPOLESTR>(description.c_str()));
    creator->SetHelpContext(0);
    ComPtr<IErrorInfo> info;
    if (SUCCEEDED(creator->QueryInterface(IID_IErrorInfo, &info))) {
      SetErrorInfo(0, info.Get());
    }
  } catch (...) {
    // The failure code still reaches the caller, only without its text.
  }
  return code;
}

} // namespace vostrel::com
