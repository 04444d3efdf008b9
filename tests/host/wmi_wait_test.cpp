// Bounded waits for WMI: a scripted enumerator on a clock that only moves when the script
// says time passes.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "wmi/bounded_query.h"

namespace kestro::wmi {
namespace {

using std::chrono::seconds;
using Ms = Milliseconds;

constexpr Ms kNever = Ms::max();

class FakeClock final : public Clock {
 public:
  Ms now() override { return time; }
  Ms time{0};
};

struct Step {
  Ms after;  // how long the provider takes to answer this call
  NextOutcome outcome;
};

// Answers each call with the next step, or times out when the step takes longer than the
// wait; past the script the enumeration is complete.
class ScriptedObjects final : public ObjectEnumerator {
 public:
  ScriptedObjects(FakeClock& clock, std::vector<Step> steps, std::vector<Ms>* waits)
      : clock_(clock), steps_(std::move(steps)), waits_(waits) {}

  NextOutcome next(Ms wait, WmiRow& row) override {
    if (waits_) waits_->push_back(wait);
    if (at_ == steps_.size()) return NextOutcome::End;
    const Step step = steps_[at_];
    if (step.after > wait) {
      clock_.time += wait;
      return NextOutcome::TimedOut;
    }
    clock_.time += step.after;
    ++at_;
    row = WmiRow{std::to_string(at_)};
    return step.outcome;
  }

 private:
  FakeClock& clock_;
  std::vector<Step> steps_;
  std::size_t at_ = 0;
  std::vector<Ms>* waits_;
};

std::vector<Step> trickle(Ms every, int count) {
  return std::vector<Step>(count, Step{every, NextOutcome::Object});
}

TEST(BoundedQuery, EveryWaitEndsWithinTheQueryBudget) {
  struct Case {
    const char* what;
    std::vector<Step> steps;
    std::optional<std::size_t> rows;  // nothing: the query failed
    std::vector<Ms> waits;
  };
  const Step object{Ms(0), NextOutcome::Object};
  const std::vector<Case> cases = {
      {"a Next that never answers", {{kNever, NextOutcome::Object}}, std::nullopt, {seconds(5)}},
      {"two rows, then a Next that never answers",
       {{seconds(1), NextOutcome::Object}, {seconds(1), NextOutcome::Object},
        {kNever, NextOutcome::Object}},
       2, {seconds(5), seconds(5), seconds(5)}},
      {"rows trickle past the budget: the last wait is what is left", trickle(seconds(4), 9), 3,
       {seconds(5), seconds(5), seconds(5), seconds(3)}},
      {"rows exactly on the budget: no further call", trickle(seconds(5), 9), 3,
       {seconds(5), seconds(5), seconds(5)}},
      {"a prompt provider reads to the end", {object, object}, 2,
       {seconds(5), seconds(5), seconds(5)}},
      {"a failed call after a row keeps the row", {object, {Ms(0), NextOutcome::Failed}}, 1,
       {seconds(5), seconds(5)}},
      {"a failed first call fails the query", {{Ms(0), NextOutcome::Failed}}, std::nullopt,
       {seconds(5)}},
  };
  for (const Case& c : cases) {
    FakeClock clock;
    clock.time = seconds(100);
    std::vector<Ms> waits;
    ScriptedObjects objects(clock, c.steps, &waits);
    const WmiResult result = collect_rows(objects, clock, seconds(115), seconds(5));
    ASSERT_EQ(result.has_value(), c.rows.has_value()) << c.what;
    if (result) EXPECT_EQ(result->size(), *c.rows) << c.what;
    EXPECT_EQ(waits, c.waits) << c.what;
    EXPECT_LE(clock.time, seconds(115)) << c.what;
  }
}

// A session whose every query runs the same script.
class ScriptedSession final : public BoundedSession {
 public:
  ScriptedSession(std::shared_ptr<RunBudget> run, FakeClock& clock, std::vector<Step> script)
      : BoundedSession(std::move(run)), clock_(clock), script_(std::move(script)) {}
  int executed = 0;

 protected:
  std::unique_ptr<ObjectEnumerator> execute(std::string_view, PropertyList) override {
    ++executed;
    return std::make_unique<ScriptedObjects>(clock_, script_, nullptr);
  }

 private:
  FakeClock& clock_;
  std::vector<Step> script_;
};

TEST(BoundedQuery, AfterTheRunBudgetEveryQueryFailsAtOnce) {
  FakeClock clock;
  RunBudgets budgets(clock);
  // Rows every 4 s without end: each query is cut off by its 15 s, the last by the run's 60 s.
  ScriptedSession session(budgets.for_new_session(), clock, trickle(seconds(4), 100));
  clock.time = seconds(5);
  const std::vector<std::pair<Ms, std::size_t>> expected = {
      {seconds(20), 3}, {seconds(35), 3}, {seconds(50), 3}, {seconds(60), 2}};
  for (const auto& [ends_at, rows] : expected) {
    const WmiResult result = session.query_text("SELECT Name FROM Win32_Slow", {});
    ASSERT_TRUE(result);
    EXPECT_EQ(result->size(), rows);
    EXPECT_EQ(clock.time, ends_at);
  }
  EXPECT_FALSE(session.query_text("SELECT Name FROM Win32_Slow", {}));
  EXPECT_EQ(session.executed, 4);  // the last query never reached the provider
  EXPECT_EQ(clock.time, seconds(60));

  // A session opened later in the same run shares the spent budget.
  EXPECT_FALSE(budgets.for_new_session()->query_deadline());
}

TEST(BoundedQuery, ANewRunStartsWhenEverySessionOfTheLastOneIsClosed) {
  FakeClock clock;
  RunBudgets budgets(clock);
  std::shared_ptr<RunBudget> first = budgets.for_new_session();
  clock.time = seconds(59);
  std::shared_ptr<RunBudget> second = budgets.for_new_session();
  EXPECT_EQ(first, second);
  EXPECT_EQ(second->query_deadline(), seconds(60));  // cut short by the run
  first.reset();
  second.reset();
  clock.time = seconds(61);
  EXPECT_EQ(budgets.for_new_session()->query_deadline(), seconds(76));
}

}  // namespace
}  // namespace kestro::wmi
