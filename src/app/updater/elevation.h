#pragma once
// Which copy of Kestro may update itself.

#include "base/elevation.h"

namespace kestro::updater {

using kestro::Elevation;

// Whether this copy checks, downloads and starts updates. A raised copy never does, whether
// UAC raised it or it runs as SYSTEM, a service or an administrator with UAC off: whatever it
// fetched and started would lie in a temporary folder that every program of that user can
// change under its feet, and would then run with the raised rights. A token that cannot be
// asked counts as raised. Only a user's own rights (limited, or no administrator) update.
constexpr bool may_update(Elevation elevation) { return !runs_raised(elevation); }

}  // namespace kestro::updater
