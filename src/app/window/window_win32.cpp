#include "app/window/window_win32.h"

#include <objbase.h>
#include <windowsx.h>

#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "app/access/accessibility_win32.h"
#include "app/menu/menu_host_win32.h"
#include "app/settings/settings_registry_win32.h"
#include "app/updater/platform_win32.h"
#include "app/updater/update_ui_win32.h"
#include "app/view/app_state.h"
#include "app/view/scale.h"
#include "app/view/theme_win32.h"
#include "app/window/access_requests.h"
#include "app/window/messages_win32.h"
#include "app/window/startup_update_check.h"
#include "app/window/window_controller.h"
#include "app/window/window_geometry.h"
#include "app/window/window_host_win32.h"
#include "app/window/window_placement_win32.h"
#include "base/elevation_win32.h"
#include "base/trace_win32.h"
#include "base/utf16_win32.h"
#include "base/version.h"
#include "base/window_handle_win32.h"
#include "base/worker.h"
#include "gfx/gfx_win32.h"
#include "gfx/text_win32.h"
#include "i18n/product.h"
#include "probe/probe_slot.h"

namespace kestro::app {
namespace {

// "Kestro.Main", as other programs (and the installer's tests) find the window.
std::wstring class_name() { return to_wide(kProductName) + L".Main"; }

// Everything the window thread keeps for its one window. It is made before the window and
// handed to CreateWindowExW; the window procedure finds it from the window's first real
// message on (WM_NCCREATE stores it with the window), and the parts read the handle through
// `handle`. The state slot starts empty: messages that arrive while the window is being created
// and placed find no state and change nothing.
struct MainWindow {
  MainWindow()
      : update_ui(handle, WM_APP_UPDATE_RESULT, WM_APP_DOWNLOAD_DONE, controller, checks, downloads),
        updates(update_ui, kVersion, elevation, *checks, *downloads),
        host(handle, probes),
        menu_host(handle, controller, [this] { updates.start_check(true); }),
        menu(menu_host, elevation),
        controller(slot, host, *probes, menu),
        access(handle, WM_APP_ACCESS_ACTION) {}

  WindowHandle handle;
  const Elevation elevation = process_elevation();  // asked once, for the window's life
  StateSlot<AppState> slot;
  // Workers share these with the window for their lives (worker.h).
  const SharedSlot<probe::ProbeOutcome> probes = std::make_shared<probe::ProbeSlot>();
  const SharedSlot<updater::CheckDelivery> checks = std::make_shared<updater::UpdateCheckSlot>();
  const SharedSlot<updater::DownloadResult> downloads = std::make_shared<updater::DownloadSlot>();
  // Toasts go to the controller, made after the parts that keep a reference to it but before
  // any toast can come.
  updater::Win32UpdateUi update_ui;
  updater::UpdateReactions updates;
  Win32WindowHost host;
  Win32MenuHost menu_host;
  MenuCommands menu;
  WindowController controller;
  WindowAccessibility access;
};

UINT window_dpi(HWND hwnd) { return floor_dpi(GetDpiForWindow(hwnd)); }

LRESULT on_paint(MainWindow& window) {
  window.controller.on_paint();  // validates the window first
  // Every change of the state ends in a frame: the accessibility tree follows it here, also
  // when nothing could be drawn.
  if (auto state = window.slot.claim()) {
    window.access.update(*state, window.host.client_size(), window.host.measurer());
  }
  window.access.raise_pending_events();  // may dispatch messages: after the frame is done
  return 0;
}

LRESULT on_size(MainWindow& window) {
  window.controller.on_size();  // resizes the buffers, clamps the scroll and repaints
  return 0;
}

LRESULT on_dpi_changed(MainWindow& window, HWND hwnd, WPARAM wparam, LPARAM lparam) {
  // The formats take the state's scale, so text and boxes agree also below 96 DPI.
  if (std::optional<float> scale = window.controller.on_dpi_changed(LOWORD(wparam))) {
    // On failure the old formats stay.
    if (gfx::TextResources* text = window.host.text()) (void)gfx::rebuild_text_formats(*text, *scale);
  }
  const RECT* suggested = reinterpret_cast<const RECT*>(lparam);
  if (suggested != nullptr) {
    SetWindowPos(hwnd, nullptr, suggested->left, suggested->top,
                 suggested->right - suggested->left, suggested->bottom - suggested->top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  return 0;
}

LRESULT on_setting_change(MainWindow& window, HWND hwnd, UINT message, WPARAM wparam,
                          LPARAM lparam) {
  // Whatever changed: the app theme is re-read each time and applied only when it differs.
  const bool dark = is_dark_theme();
  if (window.controller.on_theme(dark)) apply_dark_title_bar(hwnd, dark);
  (void)window.controller.on_high_contrast(high_contrast_colours());
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

LRESULT on_get_object(MainWindow& window, HWND hwnd, WPARAM wparam, LPARAM lparam) {
  if (window.access.answers(lparam)) {
    if (auto state = window.slot.claim()) {  // busy (a modal loop): the last tree serves
      window.access.refresh(*state, window.host.client_size(), window.host.measurer());
    }
    return window.access.answer(wparam, lparam);
  }
  return DefWindowProcW(hwnd, WM_GETOBJECT, wparam, lparam);
}

LRESULT on_destroy(MainWindow& window) {
  window.access.close();  // providers held by clients answer "not available" from now on
  // Report, toast and the drawing device go with the window.
  std::unique_ptr<AppState> state = window.slot.take();
  state.reset();
  window.host.drop_gfx();
  PostQuitMessage(0);
  return 0;
}

LRESULT on_min_max_info(HWND hwnd, LPARAM lparam) {
  const Size32 minimum = min_track_size(GetDpiForWindow(hwnd));
  auto* info = reinterpret_cast<MINMAXINFO*>(lparam);
  info->ptMinTrackSize.x = minimum.width;
  info->ptMinTrackSize.y = minimum.height;
  return 0;
}

LRESULT handle_message(MainWindow& window, HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_DESTROY:
      return on_destroy(window);
    case WM_SIZE:
      return on_size(window);
    case WM_PAINT:
      return on_paint(window);
    case WM_CLOSE:
      save_placement(hwnd);
      DestroyWindow(hwnd);
      return 0;
    case WM_ERASEBKGND:
      return 1;  // every frame paints the whole client area itself
    case WM_SETTINGCHANGE:
      return on_setting_change(window, hwnd, message, wparam, lparam);
    case WM_THEMECHANGED:
    case WM_SYSCOLORCHANGE:
      (void)window.controller.on_high_contrast(high_contrast_colours());
      return DefWindowProcW(hwnd, message, wparam, lparam);
    case WM_GETOBJECT:
      return on_get_object(window, hwnd, wparam, lparam);
    case WM_GETMINMAXINFO:
      return on_min_max_info(hwnd, lparam);
    case WM_KEYDOWN: {
      const bool ctrl = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
      const bool shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
      window.controller.on_key(static_cast<std::uint32_t>(wparam), ctrl, shift);
      return 0;
    }
    case WM_TIMER:
      if (!window.controller.on_timer(static_cast<std::uintptr_t>(wparam))) {
        return DefWindowProcW(hwnd, message, wparam, lparam);
      }
      return 0;
    case WM_MOUSEMOVE:
      window.controller.on_mouse_move(GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam));
      return 0;
    case WM_LBUTTONDOWN:
      window.controller.on_left_button_down(GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam));
      return 0;
    case WM_CAPTURECHANGED:
      window.controller.on_capture_lost();
      return 0;
    case WM_LBUTTONUP:
      window.controller.on_left_button_up(GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam));
      return 0;
    case WM_MOUSEWHEEL:
      window.controller.on_wheel(GET_WHEEL_DELTA_WPARAM(wparam));
      return 0;
    case WM_MOUSELEAVE:
      window.controller.on_mouse_leave();
      return 0;
    case WM_DPICHANGED:
      return on_dpi_changed(window, hwnd, wparam, lparam);
    case WM_APP_PROBE_DONE:
      // The outcome stays in the probe slot while the state is busy, so none is lost.
      window.controller.on_probe_done();
      return 0;
    case WM_APP_ACCESS_ACTION:
      // Invocations and focus changes a UI Automation client asked for, or a fresh tree.
      serve_access_requests(window.access.take_requests(), window.access.trees(), window.access,
                            window.slot, window.host, window.controller);
      window.access.raise_pending_events();
      return 0;
    case WM_APP_UPDATE_RESULT:
      window.updates.on_check_done();
      return 0;
    case WM_APP_DOWNLOAD_DONE:
      // A started installer destroys the window from in here, without WM_CLOSE.
      window.updates.on_download_done();
      return 0;
    default:
      return DefWindowProcW(hwnd, message, wparam, lparam);
  }
}

LRESULT CALLBACK window_procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* window = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
    window->handle.attach(hwnd);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window));
  }
  auto* window = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (window == nullptr) {
    // Only WM_GETMINMAXINFO comes before WM_NCCREATE.
    if (message == WM_GETMINMAXINFO) return on_min_max_info(hwnd, lparam);
    return DefWindowProcW(hwnd, message, wparam, lparam);
  }
  if (message == WM_NCDESTROY) SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
  return handle_message(*window, hwnd, message, wparam, lparam);
}

bool register_window_class(HINSTANCE instance) {
  WNDCLASSW window_class{};
  window_class.style = 0;  // no redraw on resize: WM_SIZE repaints through the core
  window_class.lpfnWndProc = window_procedure;
  window_class.cbClsExtra = 0;
  window_class.cbWndExtra = 0;
  window_class.hInstance = instance;
  window_class.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));  // no small icon of its own
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.hbrBackground = nullptr;  // WM_ERASEBKGND erases nothing
  window_class.lpszMenuName = nullptr;
  const std::wstring name = class_name();
  window_class.lpszClassName = name.c_str();
  return RegisterClassW(&window_class) != 0;
}

void run_message_loop() {
  MSG msg{};
  // GetMessageW gives -1 only for invalid arguments; treating it as the end avoids a busy loop.
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

}  // namespace

void run_window_app(HINSTANCE instance) {
  // The process entry has made it already (and set the process's COM security); this only
  // counts. Never uninitialised explicitly.
  (void)CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);

  (void)register_window_class(instance);  // a failure shows up as a failed creation
  MainWindow window;
  HWND hwnd = CreateWindowExW(0, class_name().c_str(), to_wide(kProductName).c_str(),
                              WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 1080, 820,
                              nullptr, nullptr, instance, &window);
  if (hwnd == nullptr) {
    trace_failure("CreateWindowExW", HRESULT_FROM_WIN32(GetLastError()));
    return;
  }

  const bool dark = is_dark_theme();
  apply_dark_title_bar(hwnd, dark);

  int show_command = SW_SHOWNORMAL;
  if (std::optional<int> restored = restore_stored_placement(hwnd)) {
    show_command = *restored;
  } else {
    place_default_window(hwnd);
  }

  const UINT dpi = window_dpi(hwnd);
  // Without a device the window still works (keyboard, copy, measuring) but draws nothing.
  window.host.set_text(gfx::create_text_resources(static_cast<float>(dpi) / 96.0f));
  window.host.set_gfx(gfx::create_gfx(hwnd));

  auto state = std::make_unique<AppState>();
  state->dpi = dpi;
  state->dark = dark;
  state->high_contrast = high_contrast_colours();
  state->scroll = 0;
  // From here on window messages see the state.
  window.slot.put(std::move(state));
  window.controller.start();  // loading time, probe thread, loading timer, repaint

  ShowWindow(hwnd, show_command);

  // The automatic update check, at most once a day; the only place one starts by itself.
  RegistrySettings settings;
  (void)run_startup_update_check(settings, updater::unix_now(), window.updates);
  window.updates.remove_leftovers();

  run_message_loop();

  // Normally WM_DESTROY has already dropped the state and the device. Release the Direct3D and
  // Direct2D objects before the process ends in any case: ending with them alive can make the
  // exit crash on some systems.
  if (IsWindow(hwnd)) DestroyWindow(hwnd);
  window.host.drop_gfx();
}

}  // namespace kestro::app
