#include "activex/com/OleControl.h"

#include "activex/com/ServerModule.h"

#include "VostrelActiveXXControl1_TLB.h"

namespace vostrel::com {

namespace {

constexpr wchar_t WindowClassName[] = L"TVostrelActiveX";
// The transparent colour of the bitmap (its bottom-left pixel).
constexpr COLORREF BitmapTransparentColor = RGB(255, 0, 255);
constexpr int BitmapOffset = 3;

bool RegisterWindowClass(WNDPROC procedure) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = ModuleHandle();
  windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)); // IDC_ARROW
  windowClass.lpszClassName = WindowClassName;
  return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

} // namespace

TOleControl::~TOleControl() {
  InPlaceDeactivate();
  site_.Reset();
  adviseHolder_.Reset();
  viewSink_.Reset();
}

void* TOleControl::EmbeddingInterface(REFIID iid) {
  if (iid == IID_IOleObject) {
    return static_cast<IOleObject*>(this);
  }
  if (iid == IID_IOleWindow || iid == IID_IOleInPlaceObject) {
    return static_cast<IOleInPlaceObject*>(this);
  }
  if (iid == IID_IOleInPlaceActiveObject) {
    return static_cast<IOleInPlaceActiveObject*>(this);
  }
  if (iid == IID_IOleControl) {
    return static_cast<IOleControl*>(this);
  }
  if (iid == IID_IViewObject || iid == IID_IViewObject2) {
    return static_cast<IViewObject2*>(this);
  }
  if (iid == IID_IPersist || iid == IID_IPersistStreamInit) {
    return static_cast<IPersistStreamInit*>(this);
  }
  if (iid == IID_IPersistPropertyBag) {
    return static_cast<IPersistPropertyBag*>(this);
  }
  return nullptr;
}

void TOleControl::PaintControl(HDC dc, const RECT& bounds) {
  FillRect(dc, &bounds, GetSysColorBrush(COLOR_BTNFACE));
  HBITMAP bitmap = static_cast<HBITMAP>(
      LoadImageW(ModuleHandle(), L"TVOSTRELACTIVEX", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (bitmap == nullptr) {
    return;
  }
  BITMAP size{};
  GetObjectW(bitmap, sizeof(size), &size);
  HDC source = CreateCompatibleDC(dc);
  HGDIOBJ previous = SelectObject(source, bitmap);
  TransparentBlt(dc, bounds.left + BitmapOffset, bounds.top + BitmapOffset, size.bmWidth,
                 size.bmHeight, source, 0, 0, size.bmWidth, size.bmHeight, BitmapTransparentColor);
  SelectObject(source, previous);
  DeleteDC(source);
  DeleteObject(bitmap);
}

// --- Window ------------------------------------------------------------------

LRESULT CALLBACK TOleControl::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
  case WM_PAINT: {
    PAINTSTRUCT paint{};
    HDC dc = BeginPaint(window, &paint);
    RECT client{};
    GetClientRect(window, &client);
    PaintControl(dc, client);
    EndPaint(window, &paint);
    return 0;
  }
  case WM_ERASEBKGND:
    return 1; // WM_PAINT covers the whole window
  default:
    return DefWindowProcW(window, message, wParam, lParam);
  }
}

void TOleControl::SetControlVisible(bool visible) noexcept {
  visible_ = visible;
  if (window_ != nullptr) {
    ShowWindow(window_, visible ? SW_SHOWNA : SW_HIDE);
  }
}

void TOleControl::Repaint() noexcept {
  if (window_ != nullptr) {
    InvalidateRect(window_, nullptr, TRUE);
    UpdateWindow(window_);
  }
}

HRESULT TOleControl::ActivateInPlace(IOleClientSite* site, bool uiActivate) {
  if (site == nullptr) {
    return E_INVALIDARG;
  }
  if (!inPlaceSite_) {
    if (FAILED(site->QueryInterface(IID_IOleInPlaceSite, &inPlaceSite_))) {
      inPlaceSite_.Reset();
      return E_NOINTERFACE;
    }
    if (inPlaceSite_->CanInPlaceActivate() != S_OK) {
      inPlaceSite_.Reset();
      return E_FAIL;
    }
    inPlaceSite_->OnInPlaceActivate();
  }
  if (window_ == nullptr) {
    HWND parent = nullptr;
    ComPtr<IOleInPlaceFrame> frame;
    ComPtr<IOleInPlaceUIWindow> document;
    RECT position{};
    RECT clip{};
    OLEINPLACEFRAMEINFO frameInfo{};
    frameInfo.cb = sizeof(frameInfo);
    inPlaceSite_->GetWindow(&parent);
    inPlaceSite_->GetWindowContext(&frame, &document, &position, &clip, &frameInfo);
    frame.Reset();
    document.Reset();
    if (!RegisterWindowClass(&TOleControl::WindowProc)) {
      return E_FAIL;
    }
    window_ = CreateWindowExW(0, WindowClassName, L"", WS_CHILD | WS_CLIPSIBLINGS, position.left,
                              position.top, ControlSize, ControlSize, parent, nullptr,
                              ModuleHandle(), nullptr);
    if (window_ == nullptr) {
      return E_FAIL;
    }
    SetControlVisible(visible_);
  }
  if (uiActivate && !uiActive_) {
    uiActive_ = true;
    inPlaceSite_->OnUIActivate();
  }
  return S_OK;
}

// --- IOleObject ----------------------------------------------------------------

HRESULT STDMETHODCALLTYPE TOleControl::SetClientSite(IOleClientSite* site) {
  site_ = site;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TOleControl::GetClientSite(IOleClientSite** site) {
  if (site == nullptr) {
    return E_POINTER;
  }
  return site_.CopyTo(site);
}

HRESULT STDMETHODCALLTYPE TOleControl::Close(DWORD) {
  InPlaceDeactivate();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TOleControl::DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND,
                                              LPCRECT) {
  switch (verb) {
  case OLEIVERB_PRIMARY:
  case OLEIVERB_SHOW:
  case OLEIVERB_INPLACEACTIVATE:
    return ActivateInPlace(site != nullptr ? site : site_.Get(), false);
  case OLEIVERB_UIACTIVATE:
    return ActivateInPlace(site != nullptr ? site : site_.Get(), true);
  case OLEIVERB_HIDE:
    return UIDeactivate();
  default:
    return verb < 0 ? E_NOTIMPL : OLEOBJ_S_INVALIDVERB;
  }
}

HRESULT STDMETHODCALLTYPE TOleControl::EnumVerbs(IEnumOLEVERB** verbs) {
  return OleRegEnumVerbs(CLSID_VostrelActiveXX, verbs);
}

HRESULT STDMETHODCALLTYPE TOleControl::GetUserClassID(CLSID* classId) {
  return GetClassID(classId);
}

HRESULT STDMETHODCALLTYPE TOleControl::GetUserType(DWORD form, LPOLESTR* userType) {
  return OleRegGetUserType(CLSID_VostrelActiveXX, form, userType);
}

HRESULT STDMETHODCALLTYPE TOleControl::SetExtent(DWORD aspect, SIZEL* size) {
  if (size == nullptr) {
    return E_POINTER;
  }
  if (aspect != DVASPECT_CONTENT) {
    return DV_E_DVASPECT;
  }
  // The control keeps its size.
  return size->cx == extent_.cx && size->cy == extent_.cy ? S_OK : E_FAIL;
}

HRESULT STDMETHODCALLTYPE TOleControl::GetExtent(DWORD aspect, SIZEL* size) {
  if (size == nullptr) {
    return E_POINTER;
  }
  if (aspect != DVASPECT_CONTENT) {
    return DV_E_DVASPECT;
  }
  *size = extent_;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TOleControl::Advise(IAdviseSink* sink, DWORD* connection) {
  if (!adviseHolder_ && FAILED(CreateOleAdviseHolder(&adviseHolder_))) {
    adviseHolder_.Reset();
    return E_OUTOFMEMORY;
  }
  return adviseHolder_->Advise(sink, connection);
}

HRESULT STDMETHODCALLTYPE TOleControl::Unadvise(DWORD connection) {
  return !adviseHolder_ ? OLE_E_NOCONNECTION : adviseHolder_->Unadvise(connection);
}

HRESULT STDMETHODCALLTYPE TOleControl::EnumAdvise(IEnumSTATDATA** advises) {
  if (advises == nullptr) {
    return E_POINTER;
  }
  *advises = nullptr;
  return !adviseHolder_ ? S_OK : adviseHolder_->EnumAdvise(advises);
}

HRESULT STDMETHODCALLTYPE TOleControl::GetMiscStatus(DWORD, DWORD* status) {
  if (status == nullptr) {
    return E_POINTER;
  }
  *status = 0;
  return S_OK;
}

// --- In-place object -------------------------------------------------------------

HRESULT STDMETHODCALLTYPE TOleControl::GetWindow(HWND* window) {
  if (window == nullptr) {
    return E_POINTER;
  }
  *window = window_;
  return window_ != nullptr ? S_OK : E_FAIL;
}

HRESULT STDMETHODCALLTYPE TOleControl::InPlaceDeactivate() {
  UIDeactivate();
  if (window_ != nullptr) {
    DestroyWindow(window_);
    window_ = nullptr;
    UnregisterClassW(WindowClassName, ModuleHandle());
  }
  if (inPlaceSite_) {
    inPlaceSite_->OnInPlaceDeactivate();
    inPlaceSite_.Reset();
  }
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TOleControl::UIDeactivate() {
  if (uiActive_) {
    uiActive_ = false;
    if (inPlaceSite_) {
      inPlaceSite_->OnUIDeactivate(FALSE);
    }
  }
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TOleControl::SetObjectRects(LPCRECT position, LPCRECT) {
  if (position == nullptr) {
    return E_POINTER;
  }
  if (window_ != nullptr) {
    SetWindowPos(window_, nullptr, position->left, position->top, ControlSize, ControlSize,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  return S_OK;
}

// --- IOleControl -----------------------------------------------------------------

HRESULT STDMETHODCALLTYPE TOleControl::GetControlInfo(CONTROLINFO* info) {
  if (info == nullptr) {
    return E_POINTER;
  }
  // No mnemonics, no accelerators.
  info->hAccel = nullptr;
  info->cAccel = 0;
  info->dwFlags = 0;
  return S_OK;
}

// --- IViewObject2 ----------------------------------------------------------------

HRESULT STDMETHODCALLTYPE TOleControl::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC,
                                            HDC draw, LPCRECTL bounds, LPCRECTL,
                                            BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) {
  if (aspect != DVASPECT_CONTENT) {
    return DV_E_DVASPECT;
  }
  if (draw == nullptr) {
    return E_INVALIDARG;
  }
  RECT area{0, 0, ControlSize, ControlSize};
  if (bounds != nullptr) {
    area = {bounds->left, bounds->top, bounds->right, bounds->bottom};
  }
  PaintControl(draw, area);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TOleControl::SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) {
  viewSink_ = sink;
  viewAspects_ = aspects;
  viewFlags_ = flags;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TOleControl::GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) {
  if (aspects != nullptr) {
    *aspects = viewAspects_;
  }
  if (flags != nullptr) {
    *flags = viewFlags_;
  }
  if (sink != nullptr) {
    viewSink_.CopyTo(sink);
  }
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TOleControl::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*,
                                                 LPSIZEL size) {
  return GetExtent(aspect, size);
}

// --- Persistence -------------------------------------------------------------------

HRESULT STDMETHODCALLTYPE TOleControl::GetClassID(CLSID* classId) {
  if (classId == nullptr) {
    return E_POINTER;
  }
  *classId = CLSID_VostrelActiveXX;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TOleControl::GetSizeMax(ULARGE_INTEGER* size) {
  if (size == nullptr) {
    return E_POINTER;
  }
  size->QuadPart = 0;
  return S_OK;
}

} // namespace vostrel::com
