#include "app/updater/schedule.h"

namespace kestro::updater {

std::uint64_t unix_seconds_from_filetime(std::uint64_t filetime) {
  constexpr std::uint64_t kUnixEpoch = 116'444'736'000'000'000ull;  // 1970-01-01 in FILETIME
  if (filetime < kUnixEpoch) return 0;
  return (filetime - kUnixEpoch) / 10'000'000ull;
}

bool automatic_check_due(bool enabled, std::uint64_t last_check, std::uint64_t now) {
  if (!enabled) return false;
  const std::uint64_t elapsed = last_check > now ? 0 : now - last_check;
  return elapsed >= kCheckIntervalSeconds;
}

}  // namespace kestro::updater
