#pragma once
// A platform query that fills buffers sized by an earlier call fails as too small when the
// set of things it lists grew in between (a monitor plugged in at that moment). Asking the
// sizes again and filling anew then succeeds; giving up at once would lose the whole answer.

namespace kestro {

enum class Filled { Done, TooSmall, Failed };

// Runs `attempt` (ask the sizes, then fill buffers of those sizes), and again while it comes
// back too small, at most `retries` more times.
template <class Attempt>
Filled fill_with_fresh_sizes(Attempt attempt, int retries = 3) {
  Filled filled = attempt();
  for (int i = 0; i < retries && filled == Filled::TooSmall; ++i) filled = attempt();
  return filled;
}

}  // namespace kestro
