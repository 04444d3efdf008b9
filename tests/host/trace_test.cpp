// A failure site traces each code once until the call succeeds, also when codes alternate.

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "base/trace.h"

namespace kestro {
namespace {

TEST(FailureSite, EachCodeOnceUntilASuccess) {
  struct Case {
    const char* name;
    std::vector<std::optional<std::uint32_t>> calls;  // nothing: the call succeeded
    std::vector<bool> traced;                         // per failure, in order
  };
  const std::nullopt_t ok = std::nullopt;
  const Case cases[] = {
      {"the same code", {5, 5, 5}, {true, false, false}},
      {"two codes in turn", {5, 7, 5, 7, 5}, {true, true, false, false, false}},
      {"four codes in turn", {1, 2, 3, 4, 1, 2, 3, 4}, {true, true, true, true, false, false, false, false}},
      {"a fifth code takes the oldest's place", {1, 2, 3, 4, 5, 2, 1}, {true, true, true, true, true, false, true}},
      {"a success in between", {5, 7, ok, 5, 7, 5}, {true, true, true, true, false}},
  };
  for (const Case& c : cases) {
    FailureSite site;
    std::vector<bool> traced;
    for (const auto& call : c.calls) {
      if (call) {
        traced.push_back(site.first(*call));
      } else {
        site.succeeded();
      }
    }
    EXPECT_EQ(traced, c.traced) << c.name;
  }
}

}  // namespace
}  // namespace kestro
