// The object as an ActiveX control in a container: drawn through
// IViewObject2, and hosted by the system's ATL container window, where it
// activates in place with its own hidden 32 by 32 window that paints the
// control's bitmap.

#include "ComServerFixture.h"

namespace vostrel::test {
namespace {

using com::ComPtr;

// Colours of the control's bitmap: its transparent background and the
// lens, whose glass is at (7, 8) of the bitmap.
constexpr COLORREF Transparent = RGB(255, 0, 255);
constexpr COLORREF LensGlass = RGB(70, 110, 170);
constexpr POINT GlassInControl{3 + 7, 3 + 8};

// A 32-bit top-down bitmap to draw into and read back.
class Canvas {
public:
  Canvas(int width, int height) : width_(width) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    dc_ = CreateCompatibleDC(nullptr);
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&pixels_),
                               nullptr, 0);
    previous_ = SelectObject(dc_, bitmap_);
  }
  ~Canvas() {
    SelectObject(dc_, previous_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  HDC dc() const { return dc_; }
  COLORREF At(int x, int y) const {
    GdiFlush();
    const std::uint32_t bgra = pixels_[y * width_ + x];
    return RGB((bgra >> 16) & 0xFF, (bgra >> 8) & 0xFF, bgra & 0xFF);
  }

private:
  int width_;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ previous_ = nullptr;
  std::uint32_t* pixels_ = nullptr;
};

void ExpectControlPicture(const Canvas& canvas, POINT origin) {
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  EXPECT_EQ(canvas.At(origin.x, origin.y), face);
  // The bitmap's transparent corner shows the face, its lens is drawn.
  EXPECT_EQ(canvas.At(origin.x + 3, origin.y + 3), face);
  EXPECT_EQ(canvas.At(origin.x + GlassInControl.x, origin.y + GlassInControl.y), LensGlass);
  EXPECT_EQ(canvas.At(origin.x + 31, origin.y + 31), face);
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) {
      ASSERT_NE(canvas.At(origin.x + x, origin.y + y), Transparent) << x << "," << y;
    }
  }
}

// A container's client site and view sink that count the references the
// control holds to them; they live on the test's stack.
template <typename Interface>
class Counted : public Interface {
public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (iid == IID_IUnknown || iid == __uuidof(Interface)) {
      *object = static_cast<Interface*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
  ULONG STDMETHODCALLTYPE Release() override { return --references; }

  ULONG references = 0;
};

class CountedSite final : public Counted<IOleClientSite> {
public:
  HRESULT STDMETHODCALLTYPE SaveObject() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer**) override { return E_NOINTERFACE; }
  HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }
};

class CountedViewSink final : public Counted<IAdviseSink> {
public:
  void STDMETHODCALLTYPE OnDataChange(FORMATETC*, STGMEDIUM*) override {}
  void STDMETHODCALLTYPE OnViewChange(DWORD, LONG) override {}
  void STDMETHODCALLTYPE OnRename(IMoniker*) override {}
  void STDMETHODCALLTYPE OnSave() override {}
  void STDMETHODCALLTYPE OnClose() override {}
};

using Hosting = ComServer;

TEST_F(Hosting, HoldsOneReferenceToItsSiteAndViewSinkAndHandsThemOutWithTheirOwn) {
  IVostrelActiveXX* object = CreateObject();
  ASSERT_NE(object, nullptr);
  CountedSite site;
  CountedViewSink sink;
  {
    ComPtr<IOleObject> embedding;
    ASSERT_EQ(object->QueryInterface(IID_IOleObject, &embedding), S_OK);
    EXPECT_EQ(embedding->SetClientSite(&site), S_OK);
    EXPECT_EQ(site.references, 1u);
    {
      ComPtr<IOleClientSite> given;
      EXPECT_EQ(embedding->GetClientSite(&given), S_OK);
      EXPECT_EQ(given.Get(), &site);
      EXPECT_EQ(site.references, 2u);
    }
    EXPECT_EQ(site.references, 1u);
    // The same site again, then none.
    EXPECT_EQ(embedding->SetClientSite(&site), S_OK);
    EXPECT_EQ(site.references, 1u);
    EXPECT_EQ(embedding->SetClientSite(nullptr), S_OK);
    EXPECT_EQ(site.references, 0u);
    EXPECT_EQ(embedding->SetClientSite(&site), S_OK);

    ComPtr<IViewObject2> view;
    ASSERT_EQ(object->QueryInterface(IID_IViewObject2, &view), S_OK);
    EXPECT_EQ(view->SetAdvise(DVASPECT_CONTENT, ADVF_PRIMEFIRST, &sink), S_OK);
    EXPECT_EQ(sink.references, 1u);
    {
      DWORD aspects = 0;
      DWORD flags = 0;
      ComPtr<IAdviseSink> given;
      EXPECT_EQ(view->GetAdvise(&aspects, &flags, &given), S_OK);
      EXPECT_EQ(given.Get(), &sink);
      EXPECT_EQ(aspects, static_cast<DWORD>(DVASPECT_CONTENT));
      EXPECT_EQ(flags, static_cast<DWORD>(ADVF_PRIMEFIRST));
      EXPECT_EQ(sink.references, 2u);
    }
    EXPECT_EQ(sink.references, 1u);
  }
  // The object lets go of both when it goes.
  objects.clear();
  EXPECT_EQ(site.references, 0u);
  EXPECT_EQ(sink.references, 0u);
}

TEST_F(Hosting, DrawsTheBitmapAtThreeThreeThroughIViewObject) {
  IVostrelActiveXX* object = CreateObject();
  ASSERT_NE(object, nullptr);
  ComPtr<IViewObject2> view;
  ASSERT_EQ(object->QueryInterface(IID_IViewObject2, &view), S_OK);
  Canvas canvas(48, 48);
  const RECTL bounds{8, 4, 8 + 32, 4 + 32};
  EXPECT_EQ(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, canvas.dc(), &bounds,
                       nullptr, nullptr, 0),
            S_OK);
  ExpectControlPicture(canvas, POINT{8, 4});
  SIZEL extent{};
  EXPECT_EQ(view->GetExtent(DVASPECT_CONTENT, -1, nullptr, &extent), S_OK);
  EXPECT_EQ(extent.cx, 847);
  EXPECT_EQ(extent.cy, 847);
}

TEST_F(Hosting, PersistenceAndControlInterfacesAnswer) {
  IVostrelActiveXX* object = CreateObject();
  ASSERT_NE(object, nullptr);
  ComPtr<IPersistStreamInit> stream;
  ASSERT_EQ(object->QueryInterface(IID_IPersistStreamInit, &stream), S_OK);
  CLSID classId{};
  EXPECT_EQ(stream->GetClassID(&classId), S_OK);
  EXPECT_EQ(classId, CLSID_VostrelActiveXX);
  EXPECT_EQ(stream->InitNew(), S_OK);
  EXPECT_EQ(stream->IsDirty(), S_FALSE);

  ComPtr<IOleObject> embedding;
  ASSERT_EQ(object->QueryInterface(IID_IOleObject, &embedding), S_OK);
  DWORD status = 0xFFFF;
  EXPECT_EQ(embedding->GetMiscStatus(DVASPECT_CONTENT, &status), S_OK);
  EXPECT_EQ(status, 0u);
  // The same object answers every interface.
  ComPtr<IUnknown> first;
  ComPtr<IUnknown> second;
  object->QueryInterface(IID_IUnknown, &first);
  embedding->QueryInterface(IID_IUnknown, &second);
  EXPECT_EQ(first.Get(), second.Get());

  ComPtr<IPersistPropertyBag> bag;
  EXPECT_EQ(object->QueryInterface(IID_IPersistPropertyBag, &bag), S_OK);
  ComPtr<IOleControl> control;
  ASSERT_EQ(object->QueryInterface(IID_IOleControl, &control), S_OK);
  CONTROLINFO info{};
  info.cb = sizeof(info);
  EXPECT_EQ(control->GetControlInfo(&info), S_OK);
  EXPECT_EQ(info.cAccel, 0);
}

// The system's ATL container: atl.dll's "AtlAxWin" window class creates the
// control named by its window text.
class AtlContainer {
public:
  AtlContainer() {
    library_ = LoadLibraryW(L"atl.dll");
    if (library_ == nullptr) {
      return;
    }
    auto init = reinterpret_cast<BOOL(WINAPI*)()>(
        reinterpret_cast<void*>(GetProcAddress(library_, "AtlAxWinInit")));
    getControl_ = reinterpret_cast<HRESULT(WINAPI*)(HWND, IUnknown**)>(
        reinterpret_cast<void*>(GetProcAddress(library_, "AtlAxGetControl")));
    if (init == nullptr || getControl_ == nullptr || !init()) {
      return;
    }
    host_ = CreateWindowExW(0, L"STATIC", L"Host", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr,
                            nullptr, nullptr, nullptr);
    container_ =
        CreateWindowExW(0, L"AtlAxWin", L"VostrelActiveXXControl1.VostrelActiveXX",
                        WS_CHILD | WS_VISIBLE, 10, 20, 120, 90, host_, nullptr, nullptr, nullptr);
  }
  ~AtlContainer() {
    if (host_ != nullptr) {
      DestroyWindow(host_);
    }
    if (library_ != nullptr) {
      FreeLibrary(library_);
    }
  }
  AtlContainer(const AtlContainer&) = delete;
  AtlContainer& operator=(const AtlContainer&) = delete;

  HWND host() const { return host_; }
  HWND container() const { return container_; }
  // The hosted control; null when the container has none.
  ComPtr<IUnknown> Control() const {
    ComPtr<IUnknown> control;
    if (container_ == nullptr || FAILED(getControl_(container_, &control))) {
      return nullptr;
    }
    return control;
  }
  void Close() {
    DestroyWindow(host_);
    host_ = container_ = nullptr;
  }

private:
  HMODULE library_ = nullptr;
  HRESULT(WINAPI* getControl_)(HWND, IUnknown**) = nullptr;
  HWND host_ = nullptr;
  HWND container_ = nullptr;
};

TEST_F(Hosting, ActivatesInPlaceWithAHiddenThirtyTwoPixelWindow) {
  AtlContainer atl;
  ASSERT_NE(atl.container(), nullptr) << "no ATL container window";
  ComPtr<IVostrelActiveXX> object;
  {
    const ComPtr<IUnknown> hosted = atl.Control();
    ASSERT_NE(hosted.Get(), nullptr);
    ASSERT_EQ(hosted->QueryInterface(IID_IVostrelActiveXX, &object), S_OK);
  }
  HWND window = nullptr;
  {
    ComPtr<IOleInPlaceObject> inPlace;
    ASSERT_EQ(object->QueryInterface(IID_IOleInPlaceObject, &inPlace), S_OK);
    ASSERT_EQ(inPlace->GetWindow(&window), S_OK);
  }
  EXPECT_TRUE(IsChild(atl.container(), window));
  RECT client{};
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, 32);
  EXPECT_EQ(client.bottom, 32);
  EXPECT_EQ(GetWindowLongPtrW(window, GWL_STYLE) & WS_VISIBLE, 0);

  // Made visible, the window paints the control.
  EXPECT_EQ(object->put_Visible(VARIANT_TRUE), S_OK);
  EXPECT_NE(GetWindowLongPtrW(window, GWL_STYLE) & WS_VISIBLE, 0);
  ShowWindow(atl.host(), SW_SHOWNA);
  EXPECT_EQ(object->Paint(), S_OK);
  Canvas painted(32, 32);
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  HDC windowDc = GetDC(window);
  BitBlt(painted.dc(), 0, 0, 32, 32, windowDc, 0, 0, SRCCOPY);
  ReleaseDC(window, windowDc);
  EXPECT_EQ(painted.At(GlassInControl.x, GlassInControl.y), LensGlass);
  EXPECT_FALSE(SaveWindowScreenshot(atl.host(), "hosted-control").empty());

  // Closing the container deactivates the control and destroys its window.
  atl.Close();
  PumpMessages();
  EXPECT_FALSE(IsWindow(window));
}

} // namespace
} // namespace vostrel::test
