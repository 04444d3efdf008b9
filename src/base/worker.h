#pragma once
// One job on a detached thread of its own, started from the window thread, and the one way a
// worker's result reaches the window.

#include <memory>
#include <optional>
#include <thread>
#include <utility>

#include "base/hand_over_slot.h"

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

// A worker's result on its way to the window thread. The window owns the slot and each worker
// it starts shares it for the worker's life: a worker that finishes after the window has gone
// puts its result where nobody reads it any more and touches nothing that was destroyed.
template <class Outcome>
using SharedSlot = std::shared_ptr<HandOverSlot<Outcome>>;

// Runs `job()` on a new detached thread; its outcome (or `failed` when it threw) goes into
// `slot`, and then `notify()` tells the window (on Windows, a message posted without data).
// The window takes the outcome from the slot when it hears. The slot counts the worker as due
// from before it starts until it has put, so the window can tell a lost message from a worker
// still at work. False when no thread could be started; then nothing is put and nothing
// notified.
template <class Outcome, class Job, class Notify>
bool start_hand_over(SharedSlot<Outcome> slot, Job job, Notify notify, Outcome failed) noexcept {
  try {
    slot->expect();
  } catch (...) {
    return false;  // the slot's lock could not be taken
  }
  const std::shared_ptr<HandOverSlot<Outcome>> kept = slot;
  const bool started = start_worker(
      std::move(job),
      [slot = std::move(slot), notify = std::move(notify)](Outcome&& outcome) {
        slot->put(std::move(outcome));  // no longer due, even if this throws
        notify();  // only once the outcome is in the slot
      },
      std::move(failed));
  if (!started) {
    try {
      kept->forget();
    } catch (...) {
    }
  }
  return started;
}

}  // namespace kestro
