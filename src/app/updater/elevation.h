#pragma once
// Which copy of Kestro may update itself.

namespace kestro::updater {

// How the process's rights came about (the token's elevation type).
enum class Elevation {
  Limited,  // a user's own rights, while an administrator's linked token exists (UAC)
  Default,  // no split token: UAC is off, or the user is no administrator
  Full,     // raised through the UAC prompt ("View as administrator")
  Unknown,  // the token could not be asked
};

// Whether this copy checks, downloads and starts updates. A copy raised through UAC never
// does: whatever it fetched and started would lie in the user's temporary folder, which every
// program of that user can change under its feet, and would then run with the raised rights.
// A token that cannot be asked counts as raised. Without a split token there is no boundary to
// cross.
constexpr bool may_update(Elevation elevation) {
  return elevation == Elevation::Limited || elevation == Elevation::Default;
}

}  // namespace kestro::updater
