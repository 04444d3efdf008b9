#pragma once
// What a failure that would otherwise leave no trace writes to the debug output.

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>

namespace kestro {

// "Kestro: <what> failed (0x887A0005)".
std::string failure_line(std::string_view what, std::uint32_t code);
// "Kestro: <what>: <detail>".
std::string failure_line(std::string_view what, std::string_view detail);

// One call site's failures, so that one that repeats (every frame, every message) leaves one
// line: a code is traced the first time it comes, and again only after the call has succeeded
// or failed with another code in between. Safe to share between threads.
class FailureSite {
 public:
  // True when this failure is to be traced now.
  bool first(std::uint32_t code) noexcept { return last_.exchange(code) != code; }
  void succeeded() noexcept { last_.store(kNone); }

 private:
  static constexpr std::uint64_t kNone = std::uint64_t{1} << 32;  // no code is this
  std::atomic<std::uint64_t> last_{kNone};
};

}  // namespace kestro
