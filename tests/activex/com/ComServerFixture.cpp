#include "ComServerFixture.h"

#include "support/SimulatedEDSDK.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <memory>
#include <stdexcept>

namespace vostrel::test {

HMODULE ComServer::library = nullptr;
ServerEntryPoints ComServer::entryPoints;

std::wstring Text(BSTR value) {
  return value == nullptr ? L"" : std::wstring(value);
}

std::wstring ComServer::ProgramFolder() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path);
  folder.resize(folder.find_last_of(L"\\/") + 1);
  return folder;
}

std::wstring ComServer::LibraryPath() {
  return ProgramFolder() + L"VostrelActiveXXControl1.ocx";
}

void ComServer::SetUpTestSuite() {
  library = LoadLibraryW(LibraryPath().c_str());
  ASSERT_NE(library, nullptr) << "VostrelActiveXXControl1.ocx is not next to the test";
  auto resolve = [](auto& entry, const char* name) {
    entry = reinterpret_cast<std::remove_reference_t<decltype(entry)>>(
        reinterpret_cast<void*>(GetProcAddress(library, name)));
    ASSERT_NE(entry, nullptr) << name;
  };
  resolve(entryPoints.GetClassObject, "DllGetClassObject");
  resolve(entryPoints.CanUnloadNow, "DllCanUnloadNow");
  resolve(entryPoints.RegisterServer, "DllRegisterServer");
  resolve(entryPoints.UnregisterServer, "DllUnregisterServer");
  ASSERT_EQ(entryPoints.RegisterServer(), S_OK);
}

void ComServer::TearDownTestSuite() {
  if (entryPoints.UnregisterServer != nullptr) {
    entryPoints.UnregisterServer();
  }
  if (library != nullptr) {
    FreeLibrary(library);
    library = nullptr;
  }
}

sim::SimControlClient& ComServer::Sim() {
  return SimulatedEDSDK();
}

void ComServer::SetUp() {
  ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
  Sim().clearFailures();
  // A scenario brings its own callback mode: choose it afterwards.
  Sim().loadScenario(OneEOSCameraScenario());
  Sim().setSynchronousCallbacks(false);
}

void ComServer::TearDown() {
  objects.clear();
  Sim().waitIdle();
  PumpMessages();
  CoUninitialize();
}

IVostrelActiveXX* ComServer::CreateObject() {
  CLSID classId{};
  EXPECT_EQ(CLSIDFromProgID(L"VostrelActiveXXControl1.VostrelActiveXX", &classId), S_OK);
  EXPECT_EQ(classId, CLSID_VostrelActiveXX);
  com::ComPtr<IVostrelActiveXX> object;
  EXPECT_EQ(CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER, IID_IVostrelActiveXX, &object),
            S_OK);
  if (object) {
    objects.push_back(object);
  }
  return object.Get();
}

DispatchOutcome ComServer::Call(IDispatch* object, const wchar_t* member,
                                std::vector<Variant> arguments, WORD flags) {
  DispatchOutcome outcome;
  DISPID id = DISPID_UNKNOWN;
  LPOLESTR name = const_cast<LPOLESTR>(member);
  outcome.result = object->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(outcome.result)) {
    return outcome;
  }
  std::vector<VARIANT> reversed(arguments.rbegin(), arguments.rend());
  DISPID putId = DISPID_PROPERTYPUT;
  const bool put = (flags & DISPATCH_PROPERTYPUT) != 0;
  DISPPARAMS parameters{reversed.data(), put ? &putId : nullptr, static_cast<UINT>(reversed.size()),
                        put ? 1u : 0u};
  EXCEPINFO exception{};
  UINT argumentError = 0;
  outcome.result = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &parameters,
                                  put ? nullptr : &outcome.value, &exception, &argumentError);
  const com::TBstr description(exception.bstrDescription);
  const com::TBstr source(exception.bstrSource);
  const com::TBstr helpFile(exception.bstrHelpFile);
  if (outcome.result == DISP_E_EXCEPTION) {
    outcome.scode = exception.scode;
    outcome.description = Text(description.Get());
    outcome.source = Text(source.Get());
  }
  return outcome;
}

void ComServer::PumpMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

bool ComServer::PumpUntil(const RecordingSink& sink, DISPID id, std::size_t count) {
  return PumpUntil([&] {
    std::size_t seen = 0;
    for (const RecordingSink::Event& event : sink.events) {
      seen += event.id == id ? 1 : 0;
    }
    return seen >= count;
  });
}

bool ComServer::PumpUntil(const std::function<bool()>& done) {
  for (int wait = 0; wait < 2000; ++wait) {
    PumpMessages();
    if (done()) {
      return true;
    }
    Sleep(5);
  }
  return false;
}

HRESULT STDMETHODCALLTYPE RecordingSink::QueryInterface(REFIID iid, void** object) {
  if (iid == IID_IUnknown || iid == IID_IDispatch || iid == DIID_IVostrelActiveXXEvents) {
    *object = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE RecordingSink::GetTypeInfoCount(UINT* count) {
  *count = 0;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE RecordingSink::GetTypeInfo(UINT, LCID, ITypeInfo**) {
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE RecordingSink::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE RecordingSink::Invoke(DISPID member, REFIID, LCID, WORD,
                                                DISPPARAMS* parameters, VARIANT*, EXCEPINFO*,
                                                UINT*) {
  Event event{member, {}};
  // DISPPARAMS holds the last argument first.
  for (UINT i = parameters->cArgs; i-- > 0;) {
    const VARIANT& argument = parameters->rgvarg[i];
    if (argument.vt == VT_I4) {
      event.arguments.emplace_back(static_cast<std::int32_t>(argument.lVal));
    } else if (argument.vt == VT_BSTR) {
      event.arguments.emplace_back(Text(argument.bstrVal));
    } else {
      ADD_FAILURE() << "event argument of type " << argument.vt;
    }
  }
  events.push_back(event);
  threadOfLastEvent = GetCurrentThreadId();
  return S_OK;
}

DWORD Advise(IUnknown* object, IDispatch* sink) {
  com::ComPtr<IConnectionPointContainer> container;
  com::ComPtr<IConnectionPoint> point;
  DWORD cookie = 0;
  EXPECT_EQ(object->QueryInterface(IID_IConnectionPointContainer, &container), S_OK);
  EXPECT_EQ(container->FindConnectionPoint(DIID_IVostrelActiveXXEvents, &point), S_OK);
  EXPECT_EQ(point->Advise(sink, &cookie), S_OK);
  return cookie;
}

void Unadvise(IUnknown* object, DWORD cookie) {
  com::ComPtr<IConnectionPointContainer> container;
  com::ComPtr<IConnectionPoint> point;
  object->QueryInterface(IID_IConnectionPointContainer, &container);
  container->FindConnectionPoint(DIID_IVostrelActiveXXEvents, &point);
  EXPECT_EQ(point->Unadvise(cookie), S_OK);
}

std::string OneEOSCameraScenario() {
  nlohmann::json camera = {
      {"model", "EOS Test"},
      {"owner", "Test Owner"},
      {"bodyId", 4711},
      {"battery", 80},
      {"clock", "2024-05-01T09:30:00"},
      {"volumes", {{{"label", "CF"}, {"files", {"DCIM/100EOS/IMG_0001.JPG"}}}}}};
  return nlohmann::json{{"eos", {{"cameras", {camera}}}}}.dump();
}

std::string CardEOSCameraScenario() {
  nlohmann::json camera = {
      {"model", "EOS Test"},
      {"owner", "Test Owner"},
      {"volumes",
       {{{"label", "CF"},
         {"files",
          {"DCIM/100EOS/IMG_0001.JPG",
           "DCIM/100EOS/IMG_0002.CR2",
           {{"path", "DCIM/101EOS/IMG_0003.CR2"}, {"whiteBalance", 3}, {"kelvin", 3200}},
           "DCIM/101EOS/IMG_0004.JPG"}}}}}};
  return nlohmann::json{{"eos", {{"cameras", {camera}}}}}.dump();
}

std::string SaveWindowScreenshot(HWND window, const std::string& name) {
  RECT client{};
  if (!GetClientRect(window, &client) || client.right <= 0 || client.bottom <= 0) {
    return {};
  }
  const int width = client.right;
  const int height = client.bottom;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height; // bottom-up, as BMP files store rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  HDC memory = CreateCompatibleDC(nullptr);
  void* pixels = nullptr;
  HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
  if (bitmap == nullptr) {
    DeleteDC(memory);
    return {};
  }
  HGDIOBJ previous = SelectObject(memory, bitmap);
  HDC windowDc = GetDC(window);
  const bool copied = BitBlt(memory, 0, 0, width, height, windowDc, 0, 0, SRCCOPY) != 0;
  ReleaseDC(window, windowDc);
  GdiFlush();

  const DWORD rowBytes = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
  const DWORD imageBytes = rowBytes * static_cast<DWORD>(height);
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42; // "BM"
  file.bfOffBits = sizeof file + sizeof info.bmiHeader;
  file.bfSize = file.bfOffBits + imageBytes;
  info.bmiHeader.biSizeImage = imageBytes;

  std::string path;
  if (copied) {
    CreateDirectoryA("artifacts", nullptr);
    path = "artifacts\\" + name + ".bmp";
    if (FILE* out = std::fopen(path.c_str(), "wb")) {
      std::fwrite(&file, sizeof file, 1, out);
      std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out);
      std::fwrite(pixels, 1, imageBytes, out);
      std::fclose(out);
    } else {
      path.clear();
    }
  }
  SelectObject(memory, previous);
  DeleteObject(bitmap);
  DeleteDC(memory);
  return path;
}

} // namespace vostrel::test
