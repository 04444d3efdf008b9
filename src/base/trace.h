#pragma once
// What a failure that would otherwise leave no trace writes to the debug output.

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kestro {

// "Kestro: <what> failed (0x887A0005)".
std::string failure_line(std::string_view what, std::uint32_t code);
// "Kestro: <what>: <detail>".
std::string failure_line(std::string_view what, std::string_view detail);

// One call site's failures, so that one that repeats (every frame, every message) leaves one
// line: each code is traced the first time it comes, and again only after the call has
// succeeded. A call that fails with two or three codes in turn is traced once per code; the
// site keeps the last kCodes codes, and a code beyond them takes the oldest one's place. Safe
// to share between threads (two threads meeting a new code at once may both trace it).
class FailureSite {
 public:
  static constexpr std::size_t kCodes = 4;

  // True when this failure is to be traced now.
  bool first(std::uint32_t code) noexcept {
    for (const auto& seen : seen_) {
      if (seen.load() == code) return false;
    }
    seen_[next_.fetch_add(1) % kCodes].store(code);
    return true;
  }
  void succeeded() noexcept {
    for (auto& seen : seen_) seen.store(kNone);
  }

 private:
  static constexpr std::uint64_t kNone = std::uint64_t{1} << 32;  // no code is this
  std::array<std::atomic<std::uint64_t>, kCodes> seen_{kNone, kNone, kNone, kNone};
  std::atomic<std::size_t> next_{0};
};

}  // namespace kestro
