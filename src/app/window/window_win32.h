#pragma once
// The main window: class "Kestro.Main", window "Kestro", its procedure and the message loop.

#include <windows.h>

namespace kestro::app {

// Creates the window, starts the first probe run, shows the window and runs the message loop
// until the window is destroyed. Returns once the window and its drawing device are gone.
void run_window_app(HINSTANCE instance);

}  // namespace kestro::app
