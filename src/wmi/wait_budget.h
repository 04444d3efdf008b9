#pragma once
// How long WMI may keep a probe run waiting. A wedged provider (a corrupt repository, a stuck
// storage driver) can hold a call for good, so every wait is bounded: each call for the next
// object, each query, and all the queries of one run together.

#include <chrono>
#include <optional>

namespace kestro::wmi {

using Milliseconds = std::chrono::milliseconds;

struct WaitLimits {
  Milliseconds run{60000};    // all queries of one run together
  Milliseconds query{15000};  // one query, from its start to its last object
  Milliseconds next{5000};    // one call for the next object
};

// A monotonic clock; tests put in one they move by hand.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual Milliseconds now() = 0;
};

// The process's steady clock.
Clock& steady_clock();

// The time one run's queries share, counted from the budget's creation. Every session of a
// run is given the same budget.
class RunBudget {
 public:
  explicit RunBudget(Clock& clock, WaitLimits limits = {});

  // When a query that starts now must be done: its own limit, cut short by the end of the
  // run. Nothing once the run's time is used up: the query then fails at once.
  std::optional<Milliseconds> query_deadline() const;

  Clock& clock() const { return clock_; }
  const WaitLimits& limits() const { return limits_; }

 private:
  Clock& clock_;
  WaitLimits limits_;
  Milliseconds run_end_;
};

}  // namespace kestro::wmi
