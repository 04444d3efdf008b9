#include "wmi/wait_budget.h"

#include <algorithm>

namespace kestro::wmi {
namespace {

class SteadyClock final : public Clock {
 public:
  Milliseconds now() override {
    return std::chrono::duration_cast<Milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
  }
};

}  // namespace

Clock& steady_clock() {
  static SteadyClock clock;
  return clock;
}

RunBudget::RunBudget(Clock& clock, WaitLimits limits)
    : clock_(clock), limits_(limits), run_end_(clock.now() + limits.run) {}

std::optional<Milliseconds> RunBudget::query_deadline() const {
  const Milliseconds now = clock_.now();
  if (now >= run_end_) return std::nullopt;
  return std::min(now + limits_.query, run_end_);
}

}  // namespace kestro::wmi
