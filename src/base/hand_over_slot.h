#pragma once
// How a worker thread hands its one result to the window thread: a lock and an optional
// value. The worker puts, then posts a message without data; the window takes. A value that
// was never taken is replaced by the newer one. The lock is held only to swap values, and
// values are destroyed outside it.
//
// The slot also counts the workers that are still due to put an outcome, so that the window
// never waits for good on a message that was lost: once none is due, an outcome that is there
// can be taken at once, and no outcome at all means none will come.

#include <cstddef>
#include <mutex>
#include <optional>
#include <utility>

namespace kestro {

template <class T>
class HandOverSlot {
 public:
  // A worker that will put its outcome here has started.
  void expect() {
    const std::lock_guard lock(mutex_);
    ++due_;
  }

  // A worker puts its outcome and is no longer due, whatever else happens here.
  void put(T value) {
    std::optional<T> dropped;
    const std::lock_guard lock(mutex_);
    if (due_ > 0) --due_;
    dropped = std::exchange(waiting_, std::move(value));
  }

  // A worker ends without an outcome.
  void forget() {
    const std::lock_guard lock(mutex_);
    if (due_ > 0) --due_;
  }

  std::optional<T> take() {
    const std::lock_guard lock(mutex_);
    return std::exchange(waiting_, std::nullopt);
  }

  // Whether some worker has yet to put its outcome.
  bool awaited() {
    const std::lock_guard lock(mutex_);
    return due_ > 0;
  }

 private:
  std::mutex mutex_;
  std::optional<T> waiting_;
  std::size_t due_ = 0;
};

}  // namespace kestro
