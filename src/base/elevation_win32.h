#pragma once
// The elevation type of this process's token.

#include "base/elevation.h"

namespace kestro {

Elevation process_elevation();

}  // namespace kestro
