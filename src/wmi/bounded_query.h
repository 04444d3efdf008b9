#pragma once
// Reading a query's objects within its time: every call for the next object waits at most a
// few seconds and never past the query's deadline; a wait that runs out ends the query as a
// failed call would. The COM adapter supplies the enumerator, so these rules run anywhere.

#include <memory>
#include <string_view>

#include "wmi/wait_budget.h"
#include "wmi/wmi.h"

namespace kestro::wmi {

enum class NextOutcome {
  Object,    // one object arrived; its row is filled in
  End,       // the enumeration is complete
  Failed,    // the call reported an error
  TimedOut,  // no object within the wait
};

// One running query's objects, one at a time.
class ObjectEnumerator {
 public:
  virtual ~ObjectEnumerator() = default;
  // Waits at most `wait` (always above zero) for the next object. On Object, `row` holds one
  // value per requested property, in request order.
  virtual NextOutcome next(Milliseconds wait, WmiRow& row) = 0;
};

// A session whose queries share its run's budget. Once the run's time is used up a query
// fails at once, without reaching WMI.
class BoundedSession : public WmiSession {
 public:
  explicit BoundedSession(std::shared_ptr<RunBudget> run) : run_(std::move(run)) {}
  WmiResult query_text(std::string_view wql, PropertyList properties) final;

 protected:
  // Starts the query; null when it could not be started.
  virtual std::unique_ptr<ObjectEnumerator> execute(std::string_view wql,
                                                    PropertyList properties) = 0;

 private:
  std::shared_ptr<RunBudget> run_;
};

}  // namespace kestro::wmi
