#pragma once
// Which copy of Kestro may update itself.

#include "base/elevation.h"

namespace kestro::updater {

using kestro::Elevation;

// Whether this copy checks, downloads and starts updates. A copy raised through UAC never
// does: whatever it fetched and started would lie in the user's temporary folder, which every
// program of that user can change under its feet, and would then run with the raised rights.
// A token that cannot be asked counts as raised. Without a split token there is no boundary to
// cross.
constexpr bool may_update(Elevation elevation) { return !runs_raised(elevation); }

}  // namespace kestro::updater
