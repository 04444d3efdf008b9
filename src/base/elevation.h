#pragma once
// How the process's rights came about, as its token says.

namespace kestro {

enum class Elevation {
  Limited,  // a user's own rights, while an administrator's linked token exists (UAC)
  Default,  // no split token: UAC is off, or the user is no administrator
  Full,     // raised through the UAC prompt ("View as administrator")
  Unknown,  // the token could not be asked
};

// Whether the process runs with rights above the user's own: raised through UAC, or with a
// token that cannot be asked (the careful answer). Such a copy starts nothing that the user's
// other programs could have chosen or changed.
constexpr bool runs_raised(Elevation elevation) {
  return elevation == Elevation::Full || elevation == Elevation::Unknown;
}

}  // namespace kestro
