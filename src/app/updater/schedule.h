#pragma once
// When the automatic update check runs: at start-up, at most once a day, unless switched off.

#include <cstdint>

namespace kestro::updater {

inline constexpr std::uint64_t kCheckIntervalSeconds = 86'400;

// Whole seconds since 1970-01-01 00:00 UTC from a FILETIME count (100 ns steps since 1601);
// a time before 1970 counts as 0.
std::uint64_t unix_seconds_from_filetime(std::uint64_t filetime);

// Whether a check is due: automatic checks on, and at least a day since the last one (a last
// check in the future counts as no time passed). `last_check` is 0 when none is stored or the
// stored text was not a number, so the first start checks at once.
bool automatic_check_due(bool enabled, std::uint64_t last_check, std::uint64_t now);

}  // namespace kestro::updater
