#pragma once
// What the window does when UI Automation clients ask something of it.

#include <vector>

#include "app/access/accessibility_tree.h"
#include "app/view/app_state.h"
#include "app/window/window_controller.h"
#include "app/window/window_host.h"

namespace kestro::app {

// Window thread, when the hub woke it: a fresh tree first (a client asked for one, or is about
// to act on what it saw), then the invocations (pressed like Enter on a focused element) and
// focus changes on the elements that tree still has, oldest first. A request for an element
// that went (another report, a toast that is gone) does nothing.
void serve_access_requests(const std::vector<AccessRequest>& requests, AccessTreeSource& trees,
                           AccessSink& sink, StateSlot<AppState>& slot, WindowHost& host,
                           WindowController& controller);

}  // namespace kestro::app
