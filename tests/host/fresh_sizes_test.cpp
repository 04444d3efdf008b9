// Buffers filled after their sizes were asked: a set that grew in between is asked again.

#include <gtest/gtest.h>

#include <vector>

#include "base/fresh_sizes.h"

namespace kestro {
namespace {

TEST(FreshSizes, TooSmallIsAskedAgainThreeTimes) {
  using F = Filled;
  struct Case {
    std::vector<Filled> answers;
    Filled result;
    std::size_t attempts;
  };
  const Case cases[] = {
      {{F::Done}, F::Done, 1},
      {{F::TooSmall, F::Done}, F::Done, 2},
      {{F::TooSmall, F::TooSmall, F::TooSmall, F::Done}, F::Done, 4},
      {{F::TooSmall, F::TooSmall, F::TooSmall, F::TooSmall, F::Done}, F::TooSmall, 4},
      {{F::TooSmall, F::Failed, F::Done}, F::Failed, 2},
  };
  for (const Case& c : cases) {
    std::size_t attempts = 0;
    EXPECT_EQ(fill_with_fresh_sizes([&] { return c.answers[attempts++]; }), c.result);
    EXPECT_EQ(attempts, c.attempts);
  }
}

}  // namespace
}  // namespace kestro
