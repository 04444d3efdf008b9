#pragma once
// How a worker thread hands its one result to the window thread: a lock and an optional
// value. The worker puts, then posts a message without data; the window takes. A value that
// was never taken is replaced by the newer one. The lock is held only to swap values, and
// values are destroyed outside it.

#include <mutex>
#include <optional>
#include <utility>

namespace kestro {

template <class T>
class HandOverSlot {
 public:
  void put(T value) {
    std::optional<T> dropped;
    {
      const std::lock_guard lock(mutex_);
      dropped = std::exchange(waiting_, std::move(value));
    }
  }

  std::optional<T> take() {
    const std::lock_guard lock(mutex_);
    return std::exchange(waiting_, std::nullopt);
  }

 private:
  std::mutex mutex_;
  std::optional<T> waiting_;
};

}  // namespace kestro
