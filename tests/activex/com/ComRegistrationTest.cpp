// Registration of the control library and the lifetime rules of the server:
// the registry keys a host relies on, their removal, the class factory and
// DllCanUnloadNow.

#include "ComServerFixture.h"

namespace vostrel::test {
namespace {

using com::ComPtr;

std::wstring GuidText(REFGUID guid) {
  wchar_t text[40] = {};
  StringFromGUID2(guid, text, 40);
  return text;
}

bool KeyExists(const std::wstring& key) {
  HKEY handle = nullptr;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) {
    return false;
  }
  RegCloseKey(handle);
  return true;
}

// The value (default when name is null); "<missing>" when key or value is
// absent.
std::wstring ReadValue(const std::wstring& key, const wchar_t* name = nullptr) {
  wchar_t buffer[1024] = {};
  DWORD size = sizeof(buffer);
  if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), name, RRF_RT_REG_SZ, nullptr, buffer, &size) !=
      ERROR_SUCCESS) {
    return L"<missing>";
  }
  return buffer;
}

std::wstring Lower(std::wstring text) {
  for (wchar_t& c : text) {
    c = static_cast<wchar_t>(towlower(c));
  }
  return text;
}

const std::wstring ClassKey = L"CLSID\\" + GuidText(CLSID_VostrelActiveXX);
const std::wstring ProgID = L"VostrelActiveXXControl1.VostrelActiveXX";
const std::wstring TypeLibKey = L"TypeLib\\" + GuidText(LIBID_VostrelActiveXXControl1);

using Registration = ComServer;

TEST_F(Registration, WritesTheControlClassProgIDAndTypeLibrary) {
  const std::wstring path = LibraryPath();
  EXPECT_EQ(Lower(ReadValue(ClassKey + L"\\InprocServer32")), Lower(path));
  EXPECT_EQ(ReadValue(ClassKey + L"\\InprocServer32", L"ThreadingModel"), L"Apartment");
  EXPECT_EQ(ReadValue(ClassKey + L"\\ProgID"), ProgID);
  EXPECT_EQ(ReadValue(ClassKey + L"\\VersionIndependentProgID"), ProgID);
  EXPECT_TRUE(KeyExists(ClassKey + L"\\Control"));
  EXPECT_EQ(Lower(ReadValue(ClassKey + L"\\ToolboxBitmap32")), Lower(path + L",1"));
  EXPECT_EQ(ReadValue(ClassKey + L"\\MiscStatus"), L"0");
  EXPECT_EQ(ReadValue(ClassKey + L"\\TypeLib"), GuidText(LIBID_VostrelActiveXXControl1));
  EXPECT_EQ(ReadValue(ClassKey + L"\\Version"), L"1.0");
  EXPECT_EQ(ReadValue(ProgID + L"\\CLSID"), GuidText(CLSID_VostrelActiveXX));
  EXPECT_EQ(ReadValue(TypeLibKey + L"\\1.0"), L"VostrelActiveXXControl1 Library");
  EXPECT_TRUE(KeyExists(L"Interface\\" + GuidText(IID_IVostrelActiveXX)));
}

TEST_F(Registration, UnregisteringRemovesEverythingAndRegisteringRestoresIt) {
  ASSERT_EQ(Server().UnregisterServer(), S_OK);
  EXPECT_FALSE(KeyExists(ClassKey));
  EXPECT_FALSE(KeyExists(ProgID));
  EXPECT_FALSE(KeyExists(TypeLibKey));
  CLSID classId{};
  EXPECT_TRUE(FAILED(CLSIDFromProgID(ProgID.c_str(), &classId)));
  // Dispatch needs no registration: the type library comes from the file.
  ComPtr<IClassFactory> factory;
  ASSERT_EQ(Server().GetClassObject(CLSID_VostrelActiveXX, IID_IClassFactory, &factory), S_OK);
  ComPtr<IDispatch> unregistered;
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_IDispatch, &unregistered), S_OK);
  factory.Reset();
  LPOLESTR name = const_cast<LPOLESTR>(L"Connect");
  DISPID id = 0;
  EXPECT_EQ(unregistered->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id), S_OK);
  EXPECT_EQ(id, 206);
  unregistered.Reset();

  ASSERT_EQ(Server().RegisterServer(), S_OK);
  EXPECT_TRUE(KeyExists(ClassKey + L"\\InprocServer32"));
  EXPECT_EQ(CLSIDFromProgID(ProgID.c_str(), &classId), S_OK);
  EXPECT_EQ(classId, CLSID_VostrelActiveXX);
}

TEST_F(Registration, ClassFactoryServesOnlyItsClassAndRefusesAggregation) {
  ComPtr<IClassFactory> factory;
  EXPECT_EQ(Server().GetClassObject(IID_IVostrelActiveXX, IID_IClassFactory, &factory),
            CLASS_E_CLASSNOTAVAILABLE);
  ASSERT_EQ(Server().GetClassObject(CLSID_VostrelActiveXX, IID_IClassFactory, &factory), S_OK);
  ComPtr<IUnknown> object;
  RecordingSink outer;
  EXPECT_EQ(factory->CreateInstance(&outer, IID_IUnknown, &object), CLASS_E_NOAGGREGATION);
  EXPECT_EQ(factory->CreateInstance(nullptr, IID_IClassFactory, &object), E_NOINTERFACE);
  EXPECT_EQ(object.Get(), nullptr);
}

TEST_F(Registration, LibraryCanUnloadOnlyWithoutObjectsAndLocks) {
  EXPECT_EQ(Server().CanUnloadNow(), S_OK);

  IVostrelActiveXX* object = CreateObject();
  ASSERT_NE(object, nullptr);
  EXPECT_EQ(Server().CanUnloadNow(), S_FALSE);
  // An enumerator handed out keeps the library too.
  ComPtr<IEnumConnectionPoints> points;
  {
    ComPtr<IConnectionPointContainer> container;
    ASSERT_EQ(object->QueryInterface(IID_IConnectionPointContainer, &container), S_OK);
    ASSERT_EQ(container->EnumConnectionPoints(&points), S_OK);
  }
  objects.clear(); // the object's last reference
  EXPECT_EQ(Server().CanUnloadNow(), S_FALSE);
  points.Reset();
  EXPECT_EQ(Server().CanUnloadNow(), S_OK);

  ComPtr<IClassFactory> factory;
  ASSERT_EQ(Server().GetClassObject(CLSID_VostrelActiveXX, IID_IClassFactory, &factory), S_OK);
  factory->LockServer(TRUE);
  EXPECT_EQ(Server().CanUnloadNow(), S_FALSE);
  factory->LockServer(FALSE);
  EXPECT_EQ(Server().CanUnloadNow(), S_OK);
}

} // namespace
} // namespace vostrel::test
