#include "wmi/bounded_query.h"

#include <algorithm>

namespace kestro::wmi {
namespace {

// Rows until the end of the enumeration. A failed call, a wait that times out and a deadline
// that passes all end it alike: a failure when no row came yet, otherwise the rows so far.
WmiResult collect_rows(ObjectEnumerator& objects, Clock& clock, Milliseconds deadline,
                       Milliseconds longest_wait) {
  RowCollector collector;
  for (;;) {
    const Milliseconds left = deadline - clock.now();
    if (left <= Milliseconds::zero()) return std::move(collector).finish(/*failed=*/true);
    WmiRow row;
    switch (objects.next(std::min(longest_wait, left), row)) {
      case NextOutcome::Object:
        collector.add(std::move(row));
        break;
      case NextOutcome::End:
        return std::move(collector).finish(/*failed=*/false);
      case NextOutcome::Failed:
      case NextOutcome::TimedOut:
        return std::move(collector).finish(/*failed=*/true);
    }
  }
}

}  // namespace

WmiResult BoundedSession::query_text(std::string_view wql, PropertyList properties) {
  const std::optional<Milliseconds> deadline = run_->query_deadline();
  if (!deadline) return std::nullopt;
  const std::unique_ptr<ObjectEnumerator> objects = execute(wql, properties);
  if (!objects) return std::nullopt;
  return collect_rows(*objects, run_->clock(), *deadline, run_->limits().next);
}

}  // namespace kestro::wmi
