// The event poster when the owner thread's message queue takes no more: work
// that may not be lost waits and arrives in order once the queue moves, or
// through the window's timer while it does not; viewfinder frames are
// dropped; whatever is dropped is counted. The queue is made full by a
// stand-in for PostMessageW.

#include "activex/com/EventPoster.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace vostrel::test {
namespace {

using com::TEventPoster;
using Delivery = TEventPoster::Delivery;

std::atomic<bool> queueFull{false};

BOOL WINAPI PostUnlessFull(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (queueFull.load()) {
    SetLastError(ERROR_NOT_ENOUGH_QUOTA);
    return FALSE;
  }
  return PostMessageW(window, message, wParam, lParam);
}

class EventPoster : public ::testing::Test {
protected:
  void SetUp() override { queueFull = false; }
  void TearDown() override {
    queueFull = false;
    PumpMessages();
  }

  // Hands the work over on a thread of its own, as a camera SDK does.
  void FromOtherThread(const std::function<void()>& handOver) { std::thread(handOver).join(); }

  // Work that records its name.
  std::function<void()> Named(const std::string& name) {
    return [this, name] { arrived.push_back(name); };
  }

  static void PumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      DispatchMessageW(&message);
    }
  }

  // Dispatches this thread's messages, timers among them, until `count`
  // pieces of work have arrived or about two seconds have passed.
  void PumpUntil(std::size_t count) {
    for (int round = 0; round < 200 && arrived.size() < count; ++round) {
      PumpMessages();
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    PumpMessages();
  }

  std::vector<std::string> arrived;
};

using Names = std::vector<std::string>;

TEST_F(EventPoster, KeptWorkWaitsForTheQueueAndArrivesInOrder) {
  TEventPoster poster(&PostUnlessFull);
  FromOtherThread([&] {
    poster.Deliver(Named("posted"));
    queueFull = true;
    poster.Deliver(Named("kept 1"));
    poster.Deliver(Named("kept 2"));
    queueFull = false;
    // The queue takes work again, but nothing overtakes what waits.
    poster.Deliver(Named("after"));
  });
  EXPECT_TRUE(arrived.empty());
  PumpMessages();
  EXPECT_EQ(arrived, (Names{"posted", "kept 1", "kept 2", "after"}));
  EXPECT_EQ(poster.DroppedEvents(), 0u);

  // The owner thread, handling what was posted before, asks for the rest
  // once its queue has room again.
  arrived.clear();
  FromOtherThread([&] {
    poster.Deliver(Named("posted"));
    queueFull = true;
    poster.Deliver(Named("kept"));
  });
  queueFull = false;
  PumpMessages();
  EXPECT_EQ(arrived, (Names{"posted", "kept"}));
}

// While the queue stays full the window's timer, which needs no room in it,
// brings the backlog in.
TEST_F(EventPoster, AQueueThatStaysFullIsPassedByTheTimer) {
  TEventPoster poster(&PostUnlessFull);
  FromOtherThread([&] {
    poster.Deliver(Named("posted"));
    queueFull = true;
    poster.Deliver(Named("kept"));
  });
  PumpUntil(2);
  EXPECT_EQ(arrived, (Names{"posted", "kept"}));
  EXPECT_EQ(poster.DroppedEvents(), 0u);
}

TEST_F(EventPoster, FramesThatCannotBePostedAreDroppedAndCounted) {
  TEventPoster poster(&PostUnlessFull);
  FromOtherThread([&] {
    queueFull = true;
    poster.Deliver(Named("frame 1"), Delivery::Droppable);
    poster.Deliver(Named("kept"));
    queueFull = false;
    // The host is behind: a frame does not join the backlog.
    poster.Deliver(Named("frame 2"), Delivery::Droppable);
  });
  EXPECT_EQ(poster.DroppedEvents(), 2u);
  PumpMessages();
  EXPECT_EQ(arrived, (Names{"kept"}));
  // Frames are posted again once nothing waits.
  FromOtherThread([&] { poster.Deliver(Named("frame 3"), Delivery::Droppable); });
  PumpMessages();
  EXPECT_EQ(arrived, (Names{"kept", "frame 3"}));
}

TEST_F(EventPoster, TheBacklogIsBoundedAndWhatDoesNotFitIsCounted) {
  TEventPoster poster(&PostUnlessFull);
  FromOtherThread([&] {
    queueFull = true;
    for (std::size_t n = 0; n < TEventPoster::BacklogLimit + 5; ++n) {
      poster.Deliver(Named(std::to_string(n)));
    }
    queueFull = false;
    poster.Deliver(Named("one more"));
  });
  EXPECT_EQ(poster.DroppedEvents(), 6u);
  PumpMessages();
  ASSERT_EQ(arrived.size(), TEventPoster::BacklogLimit);
  EXPECT_EQ(arrived.front(), "0");
  EXPECT_EQ(arrived.back(), std::to_string(TEventPoster::BacklogLimit - 1));
}

TEST_F(EventPoster, WorkOnTheOwnerThreadRunsAtOnce) {
  TEventPoster poster(&PostUnlessFull);
  queueFull = true;
  poster.Deliver(Named("at once"), Delivery::Droppable);
  EXPECT_EQ(arrived, (Names{"at once"}));
  EXPECT_EQ(poster.DroppedEvents(), 0u);
}

// Work still waiting when the poster goes is discarded, never run, and its
// captures are freed.
TEST_F(EventPoster, APosterThatGoesDiscardsItsBacklog) {
  auto token = std::make_shared<int>(0);
  {
    TEventPoster poster(&PostUnlessFull);
    FromOtherThread([&] {
      poster.Deliver([this, token] { arrived.push_back("posted"); });
      queueFull = true;
      poster.Deliver([this, token] { arrived.push_back("kept"); });
    });
    EXPECT_EQ(token.use_count(), 3);
  }
  queueFull = false;
  PumpMessages();
  EXPECT_TRUE(arrived.empty());
  EXPECT_EQ(token.use_count(), 1);
}

} // namespace
} // namespace vostrel::test
