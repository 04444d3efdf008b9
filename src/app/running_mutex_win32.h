#pragma once
// The mutex every running Kestro.exe holds for its whole life, so that an installer can wait
// until no copy runs.

#include "base/handles_win32.h"

namespace kestro::app {

// Creates the mutex or, when another copy made it, opens it (asking only to wait on it). Its
// security lets the user's own token wait on it even when an elevated copy made it: the
// installer runs with the user's normal rights and must see that copy running. An invalid
// handle when neither works (traced).
UniqueHandle hold_running_mutex();

}  // namespace kestro::app
