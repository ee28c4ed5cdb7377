// Events at the hosts' sinks: the camera's events reach every connected sink
// with their DISPIDs and I4 arguments in declaration order, on the object's
// own thread, whichever thread the camera SDK reported them on; and a
// release of the object, for each camera family, while events, frames and
// progress are on their way.

#include "ComServerFixture.h"

#include "activex/ReleasedCameraFamilies.h"
#include "core/TempFolder.h"
#include "sim/SimControl.h"

#include <algorithm>
#include <atomic>
#include <thread>

namespace vostrel::test {
namespace {

using com::ComPtr;
using SinkEvent = RecordingSink::Event;
using Arguments = std::vector<std::variant<std::int32_t, std::wstring>>;

// Event and state codes of the EOS SDK that the simulator raises.
constexpr std::int32_t PropertyEventKind = 1;
constexpr std::int32_t StateEventKind = 3;
constexpr std::uint32_t PropertyChanged = 0x0101;
constexpr std::uint32_t StateShutdown = 0x0301;

constexpr DISPID OnViewfinderEvent = 201;
constexpr DISPID OnRemoteEvent = 203;

class Events : public ComServer {
protected:
  void SetUp() override {
    ComServer::SetUp();
    object = CreateObject();
    ASSERT_NE(object, nullptr);
    ASSERT_EQ(object->OpenCameraEnumeration(), S_OK);
    ASSERT_EQ(object->Connect(CamModEOS, 0), S_OK);
    Sim().waitIdle();
    PumpMessages();
  }
  void TearDown() override {
    if (object != nullptr) {
      object->Disconnect();
      object->CloseCameraEnumeration();
    }
    ComServer::TearDown();
  }

  // Raises an event on the simulator's thread and lets this thread deliver
  // what was posted to it.
  void RaiseFromSDKThread(std::int32_t kind, std::uint32_t code, std::uint32_t argument = 0) {
    Sim().raiseEvent(0, kind, code, argument, 0);
    Sim().waitIdle();
    PumpMessages();
  }

  IVostrelActiveXX* object = nullptr;
};

void ExpectEvent(const SinkEvent& event, DISPID id, const Arguments& arguments) {
  EXPECT_EQ(event.id, id);
  EXPECT_EQ(event.arguments, arguments);
}

TEST_F(Events, StateEventFromTheSDKThreadReachesTheSinkOnTheObjectsThread) {
  RecordingSink sink;
  const DWORD cookie = Advise(object, &sink);
  EXPECT_NE(cookie, 0u);

  Sim().raiseEvent(0, StateEventKind, StateShutdown, 0, 0);
  Sim().waitIdle();
  // Posted, not called across threads: nothing arrives until this thread
  // dispatches its messages.
  EXPECT_TRUE(sink.events.empty());
  PumpMessages();
  ASSERT_EQ(sink.events.size(), 1u);
  ExpectEvent(sink.events[0], 202,
              Arguments{EventSeverityClosing, EventRemoteShutdownReasonNotKnown});
  EXPECT_EQ(sink.threadOfLastEvent, GetCurrentThreadId());
  Unadvise(object, cookie);
  EXPECT_EQ(sink.references, 0u);
}

TEST_F(Events, EventRaisedOnTheObjectsThreadIsFiredAtOnce) {
  RecordingSink sink;
  const DWORD cookie = Advise(object, &sink);
  Sim().setSynchronousCallbacks(true);
  Sim().raiseEvent(0, PropertyEventKind, PropertyChanged, 0x0B, 0);
  ASSERT_EQ(sink.events.size(), 1u);
  ExpectEvent(sink.events[0], 202, Arguments{EventSeverityInfo, EventRemoteParameterChanged});
  Unadvise(object, cookie);
}

TEST_F(Events, EverySinkReceivesAndUnadviseStopsDelivery) {
  RecordingSink first;
  RecordingSink second;
  const DWORD firstCookie = Advise(object, &first);
  const DWORD secondCookie = Advise(object, &second);
  EXPECT_NE(firstCookie, secondCookie);

  RaiseFromSDKThread(PropertyEventKind, PropertyChanged, 0x0B);
  EXPECT_EQ(first.events.size(), 1u);
  EXPECT_EQ(second.events.size(), 1u);

  Unadvise(object, firstCookie);
  RaiseFromSDKThread(StateEventKind, StateShutdown);
  EXPECT_EQ(first.events.size(), 1u);
  ASSERT_EQ(second.events.size(), 2u);
  ExpectEvent(second.events[1], 202,
              Arguments{EventSeverityClosing, EventRemoteShutdownReasonNotKnown});
  Unadvise(object, secondCookie);
}

TEST_F(Events, WithoutASinkEventsAreDropped) {
  RaiseFromSDKThread(StateEventKind, StateShutdown);
  RecordingSink late;
  const DWORD cookie = Advise(object, &late);
  PumpMessages();
  EXPECT_TRUE(late.events.empty());
  Unadvise(object, cookie);
}

TEST_F(Events, ConnectionPointsAndConnectionsCanBeEnumerated) {
  RecordingSink first;
  RecordingSink second;
  const DWORD firstCookie = Advise(object, &first);
  const DWORD secondCookie = Advise(object, &second);

  {
    ComPtr<IConnectionPointContainer> container;
    ASSERT_EQ(object->QueryInterface(IID_IConnectionPointContainer, &container), S_OK);
    ComPtr<IEnumConnectionPoints> points;
    ASSERT_EQ(container->EnumConnectionPoints(&points), S_OK);
    IConnectionPoint* fetched[2] = {};
    ULONG count = 0;
    EXPECT_EQ(points->Next(2, fetched, &count), S_FALSE);
    ASSERT_EQ(count, 1u);
    const ComPtr<IConnectionPoint> point = com::Adopt(fetched[0]);
    IID iid{};
    EXPECT_EQ(point->GetConnectionInterface(&iid), S_OK);
    EXPECT_EQ(iid, DIID_IVostrelActiveXXEvents);

    ComPtr<IEnumConnections> connections;
    ASSERT_EQ(point->EnumConnections(&connections), S_OK);
    CONNECTDATA data[3] = {};
    EXPECT_EQ(connections->Next(3, data, &count), S_FALSE);
    ASSERT_EQ(count, 2u);
    const ComPtr<IUnknown> connected[] = {com::Adopt(data[0].pUnk), com::Adopt(data[1].pUnk)};
    EXPECT_EQ(data[0].dwCookie, firstCookie);
    EXPECT_EQ(data[1].dwCookie, secondCookie);
    // Held by the connection point, the enumerator's snapshot and the
    // connection handed out.
    EXPECT_EQ(first.references, 3u);
    EXPECT_EQ(connections->Reset(), S_OK);
    EXPECT_EQ(connections->Skip(3), S_FALSE);
    {
      // A clone holds a snapshot of its own, at the same position.
      ComPtr<IEnumConnections> clone;
      ASSERT_EQ(connections->Clone(&clone), S_OK);
      EXPECT_EQ(first.references, 4u);
      EXPECT_EQ(clone->Next(1, data, nullptr), S_FALSE);
      EXPECT_EQ(clone->Reset(), S_OK);
      EXPECT_EQ(clone->Next(1, data, nullptr), S_OK);
      const ComPtr<IUnknown> again = com::Adopt(data[0].pUnk);
      EXPECT_EQ(again.Get(), connected[0].Get());
      EXPECT_EQ(first.references, 5u);
    }
    EXPECT_EQ(first.references, 3u);

    ComPtr<IConnectionPointContainer> owner;
    ASSERT_EQ(point->GetConnectionPointContainer(&owner), S_OK);
    EXPECT_EQ(owner.Get(), container.Get());

    IID unknownEvents = IID_IVostrelActiveXX;
    ComPtr<IConnectionPoint> none;
    EXPECT_EQ(container->FindConnectionPoint(unknownEvents, &none), CONNECT_E_NOCONNECTION);
    EXPECT_EQ(point->Unadvise(12345), CONNECT_E_NOCONNECTION);
  }
  EXPECT_EQ(first.references, 1u);
  EXPECT_EQ(second.references, 1u);
  Unadvise(object, firstCookie);
  Unadvise(object, secondCookie);
  EXPECT_EQ(first.references, 0u);
  EXPECT_EQ(second.references, 0u);
}

// A host that lets go of the object without disconnecting while the camera
// keeps sending from the SDK's thread, for each family, here to an SDK that
// does not even give the handlers back: with viewfinder frames streaming
// where the camera has a viewfinder, and with the progress of a fetched
// picture still posted to this thread. What was posted before is dropped,
// later events reach nobody, and a new object is not disturbed by the old
// camera.
class ReleasedObject : public ComServer, public ::testing::WithParamInterface<ReleasedFamily> {
protected:
  static const ReleasedFamily& Family() { return GetParam(); }

  void SetUp() override {
    ComServer::SetUp();
    Family().UseItsCameraAlone();
  }

  void TearDown() override {
    Family().Sim().clearFailures();
    // Stopping the SDKs ends the session that the released object left.
    if (IVostrelActiveXX* closing = CreateObject(); closing != nullptr) {
      Call(closing, L"CloseCameraEnumeration");
    }
    Family().Sim().waitIdle();
    ComServer::TearDown();
  }

  // Takes a picture and fetches it; the sink has not heard of its progress
  // yet.
  void TakeAndFetchAPicture(IVostrelActiveXX* object, const RecordingSink& sink) {
    ASSERT_EQ(Call(object, L"RemoteTakePicture").result, S_OK);
    ASSERT_TRUE(PumpUntil(sink, OnRemoteEvent, 1));
    const std::wstring file = (folder.path() / "released.jpg").wstring();
    ASSERT_EQ(
        Call(object, L"RemoteGetPicture", {Variant(file.c_str()), Variant(PictureTypeFull)}).result,
        S_OK);
  }

  TempFolder folder;
};

TEST_P(ReleasedObject, ReleasingTheObjectWhileTheCameraSendsIsSafe) {
  RecordingSink sink;
  IVostrelActiveXX* object = CreateObject();
  ASSERT_NE(object, nullptr);
  Advise(object, &sink);
  ASSERT_EQ(Call(object, L"OpenCameraEnumeration").result, S_OK);
  ASSERT_EQ(Call(object, L"Connect", {Variant(Family().cameraType), Variant(0)}).result, S_OK);
  ASSERT_EQ(Call(object, L"RemoteStart",
                 {Variant(ReleaseModeOnlyToPC), Variant(ReleaseDataKindTakeOnlyPicture),
                  Variant::Bool(false), Variant(L"")})
                .result,
            S_OK);
  if (Family().viewfinder) {
    ASSERT_EQ(Call(object, L"RemoteStartViewfinder").result, S_OK);
    ASSERT_TRUE(PumpUntil(sink, OnViewfinderEvent, 2));
  }
  TakeAndFetchAPicture(object, sink);
  for (const std::string& function : Family().takingHandlersBack) {
    Family().Sim().injectFailure(function, 0x00000081, 0, VOSTREL_SIM_ALWAYS);
  }

  std::atomic<bool> released{false};
  std::thread camera([&] {
    for (int i = 0; i < 300 && !released; ++i) {
      Family().RaiseEventsQuietly();
    }
  });
  const std::size_t before = sink.events.size();
  const bool sending = PumpUntil([&] { return sink.events.size() >= before + 3; });
  // The last reference, with events on their way.
  std::erase_if(objects, [&](const ComPtr<IUnknown>& held) { return held.Get() == object; });
  released = true;
  camera.join();
  ASSERT_TRUE(sending) << "the camera's events did not reach the sink";
  Family().Sim().waitIdle();
  PumpMessages();
  const std::size_t atRelease = sink.events.size();
  EXPECT_EQ(sink.references, 0u);
  // No object is left, but the SDK session is open and the SDK holds the
  // library's handlers: the library must stay loaded.
  EXPECT_EQ(Server().CanUnloadNow(), S_FALSE);

  Family().RaiseEventsQuietly();
  Family().Sim().waitIdle();
  PumpMessages();
  EXPECT_EQ(sink.events.size(), atRelease);

  Family().Sim().clearFailures();
  IVostrelActiveXX* next = CreateObject();
  ASSERT_NE(next, nullptr);
  RecordingSink nextSink;
  const DWORD cookie = Advise(next, &nextSink);
  Family().RaiseEventsQuietly();
  Family().Sim().waitIdle();
  PumpMessages();
  EXPECT_TRUE(nextSink.events.empty());
  Unadvise(next, cookie);
}

INSTANTIATE_TEST_SUITE_P(Families, ReleasedObject, ::testing::ValuesIn(ReleasedFamilies()),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace vostrel::test
