// Bounded waits for WMI: a scripted provider on a clock that moves only as the script says.

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "wmi/bounded_query.h"

namespace kestro::wmi {
namespace {

using Ms = Milliseconds;
constexpr Ms kNever = Ms::max();
constexpr Ms kFails = Ms(-1);  // the call reports an error at once
constexpr Ms s(int seconds) { return Ms(seconds * 1000); }

struct FakeClock final : Clock {
  Ms now() override { return time; }
  Ms time{0};
};

// Call i is answered with a row after steps[i] (or times out when that is longer than the
// wait); past the script the enumeration is complete. Every wait asked for goes into `waits`.
struct ScriptedObjects final : ObjectEnumerator {
  ScriptedObjects(FakeClock& c, std::vector<Ms> s, std::vector<Ms>& w)
      : clock(c), steps(std::move(s)), waits(w) {}
  NextOutcome next(Ms wait, WmiRow& row) override {
    waits.push_back(wait);
    if (calls == steps.size()) return NextOutcome::End;
    const Ms after = steps[calls++];
    if (after == kFails) return NextOutcome::Failed;
    clock.time += std::min(after, wait);
    row = {"row"};
    return after > wait ? NextOutcome::TimedOut : NextOutcome::Object;
  }
  FakeClock& clock;
  std::vector<Ms> steps;
  std::vector<Ms>& waits;
  std::size_t calls = 0;
};

// A session whose every query is answered by the script.
struct ScriptedSession final : BoundedSession {
  ScriptedSession(std::shared_ptr<RunBudget> run, FakeClock& c, std::vector<Ms> s = {})
      : BoundedSession(std::move(run)), clock(c), steps(std::move(s)) {}
  std::unique_ptr<ObjectEnumerator> execute(std::string_view, PropertyList) override {
    ++executed;
    return std::make_unique<ScriptedObjects>(clock, steps, waits);
  }
  FakeClock& clock;
  std::vector<Ms> steps, waits;
  int executed = 0;
};

TEST(BoundedQuery, EveryWaitEndsWithinTheQueryBudget) {
  struct Case {
    const char* what;
    std::vector<Ms> steps;
    std::optional<std::size_t> rows;  // nothing: the query failed
    std::vector<Ms> waits;
    bool complete = false;            // the rows are all there are
  };
  const Case cases[] = {
      {"a Next that never answers", {kNever}, std::nullopt, {s(5)}},
      {"two rows, then no answer", {s(1), s(1), kNever}, 2, {s(5), s(5), s(5)}},
      {"rows trickle past the budget", {s(4), s(4), s(4), s(4)}, 3, {s(5), s(5), s(5), s(3)}},
      {"rows exactly on the budget", {s(5), s(5), s(5), s(5)}, 3, {s(5), s(5), s(5)}},
      {"a prompt provider reads to the end", {Ms(0), Ms(0)}, 2, {s(5), s(5), s(5)}, true},
      {"a failed call after a row keeps the row", {Ms(0), kFails}, 1, {s(5), s(5)}},
      {"a failed first call fails the query", {kFails}, std::nullopt, {s(5)}},
  };
  for (const Case& c : cases) {
    FakeClock clock;
    clock.time = s(100);  // the query's 15 s end at 115 s, well within the run's 60
    ScriptedSession session(std::make_shared<RunBudget>(clock), clock, c.steps);
    const WmiResult result = session.query_text("SELECT Name FROM Win32_Slow", {});
    EXPECT_EQ(result ? std::optional(result->size()) : std::nullopt, c.rows) << c.what;
    EXPECT_EQ(result && result->complete, c.complete) << c.what;
    EXPECT_EQ(session.waits, c.waits) << c.what;
  }
}

TEST(BoundedQuery, AfterTheRunBudgetEveryQueryFailsAtOnce) {
  FakeClock clock;
  const auto run = std::make_shared<RunBudget>(clock);
  // A provider that trickles a row every 4 s without end.
  auto session = std::make_unique<ScriptedSession>(run, clock, std::vector<Ms>(100, s(4)));
  clock.time = s(5);
  // Each query ends at its own 15 s, the last one at the run's 60 s.
  for (const auto& [ends_at, rows] : {std::pair{s(20), 3}, {s(35), 3}, {s(50), 3}, {s(60), 2}}) {
    const WmiResult result = session->query_text("SELECT Name FROM Win32_Slow", {});
    EXPECT_EQ(result ? int(result->size()) : -1, rows);
    EXPECT_EQ(clock.time, ends_at);
  }
  EXPECT_FALSE(session->query_text("SELECT Name FROM Win32_Slow", {}));
  EXPECT_EQ(session->executed, 4);  // the last query never reached the provider
  EXPECT_EQ(clock.time, s(60));
  // Another session of the same run shares its spent budget, even after the first one is
  // closed; a new run's budget starts afresh.
  ScriptedSession second(run, clock);
  session.reset();
  EXPECT_FALSE(second.query_text("SELECT Name FROM Win32_Slow", {}));
  EXPECT_EQ(second.executed, 0);
  EXPECT_EQ(RunBudget(clock).query_deadline(), s(75));
}

}  // namespace
}  // namespace kestro::wmi
