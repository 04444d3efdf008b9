#pragma once
// The main window: class "Kestro.Main", window "Kestro", its procedure and the message loop.

#include <windows.h>

namespace kestro::app {

// Creates the window, starts the first probe run, shows the window and runs the message loop
// until the window is destroyed. Returns the process exit code, always 0.
int run_window_app(HINSTANCE instance);

}  // namespace kestro::app
