// A worker's outcome reaches the window through a slot the window shares with it.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <stdexcept>
#include <thread>

#include "base/worker.h"

namespace kestro {
namespace {

bool eventually(const std::function<bool()>& done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

// Each worker tells the window only once its outcome is in the slot (a job that throws hands
// over `failed`), and the window may go first: its workers keep the slot until the last of
// them is done.
TEST(HandOver, WorkersPutBeforeTheyNotifyAndOutliveTheWindow) {
  constexpr int kWorkers = 8;
  auto slot = std::make_shared<HandOverSlot<int>>();
  const std::weak_ptr<HandOverSlot<int>> watched = slot;
  std::promise<void> go;
  const std::shared_future<void> gate = go.get_future().share();
  std::atomic<int> notified{0};
  std::optional<int> first;  // what the first worker to finish found in the slot
  for (int i = 0; i < kWorkers; ++i) {
    ASSERT_TRUE(start_hand_over<int>(
        slot,
        [gate, i] {
          if (i > 0) gate.wait();  // the first one runs alone
          if (i == 0) throw std::runtime_error("the job broke off");
          return i;
        },
        [watched, &notified, &first] {
          if (notified == 0) first = watched.lock()->take();
          ++notified;
        },
        -1));
  }
  ASSERT_TRUE(eventually([&] { return notified == 1; }));
  EXPECT_EQ(first, -1);
  slot.reset();  // the window is gone; nothing waits for the workers
  EXPECT_FALSE(watched.expired());
  go.set_value();
  ASSERT_TRUE(eventually([&] { return notified == kWorkers; }));
  EXPECT_TRUE(eventually([&] { return watched.expired(); }));  // the last worker let it go
}

}  // namespace
}  // namespace kestro
