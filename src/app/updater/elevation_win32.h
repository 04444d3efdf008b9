#pragma once
// The elevation type of this process's token.

#include "app/updater/elevation.h"

namespace kestro::updater {

Elevation process_elevation();

}  // namespace kestro::updater
