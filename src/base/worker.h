#pragma once
// One job on a detached thread of its own, started from the window thread.

#include <optional>
#include <thread>
#include <utility>

namespace kestro {

// Runs `produce()` on a new detached thread and hands its outcome to `deliver` on that
// thread. When `produce` throws (out of memory, say), `deliver` gets `failed` instead: an
// exception leaving a thread's body would end the whole process. False when no thread could
// be started; then neither function runs. Everything the thread uses is moved into it.
template <class Outcome, class Produce, class Deliver>
bool start_worker(Produce produce, Deliver deliver, Outcome failed) noexcept {
  try {
    std::thread([produce = std::move(produce), deliver = std::move(deliver),
                 failed = std::move(failed)]() mutable noexcept {
      std::optional<Outcome> outcome;
      try {
        outcome.emplace(produce());
      } catch (...) {
        outcome.emplace(std::move(failed));
      }
      try {
        deliver(std::move(*outcome));
      } catch (...) {
        // Nothing is left to tell the window with; it keeps its current state.
      }
    }).detach();
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace kestro
