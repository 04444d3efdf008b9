#pragma once
// The window's UI Automation provider called through its COM interfaces, in process: a test
// window with the sample report and its accessibility, and calls made as UI Automation makes
// them: from other threads, carried out when the test window's thread takes the wake message.

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/access/accessibility_win32.h"
#include "app/access/uia_provider_win32.h"
#include "app/view/layout.h"
#include "app/view/text_report.h"
#include "app/view/theme_win32.h"
#include "app/window/access_requests.h"
#include "app/window/messages_win32.h"
#include "app/window/window_controller.h"
#include "app/window/window_host_win32.h"
#include "base/utf16_win32.h"
#include "gfx/gfx_win32.h"
#include "host/sample_reports.h"
#include "host/window_fakes.h"
#include "i18n/translate.h"
#include "probe/probe_slot.h"
#include "win/clipboard_reader.h"
#include "win/test_window_win32.h"

namespace kestro::app::test_access {

using Microsoft::WRL::ComPtr;
using test::recorded_report;

inline std::string name_of(IRawElementProviderSimple* element) {
  VARIANT name;
  VariantInit(&name);
  if (FAILED(element->GetPropertyValue(uia::kName, &name)) || name.vt != VT_BSTR) return "";
  std::string utf8 = from_wide(std::wstring_view(name.bstrVal, SysStringLen(name.bstrVal)));
  VariantClear(&name);
  return utf8;
}

inline ComPtr<IRawElementProviderSimple> simple(IRawElementProviderFragment* fragment) {
  ComPtr<IRawElementProviderSimple> out;
  if (fragment != nullptr) (void)fragment->QueryInterface(IID_PPV_ARGS(&out));
  return out;
}

// Runs `body` on a thread of its own, as UI Automation calls providers.
template <class F>
void on_other_thread(F&& body) {
  std::thread thread(std::forward<F>(body));
  thread.join();
}

class AccessibilityWin : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(window_.get(), nullptr);
    // The toolbar needs a measurer, which needs no drawing device.
    host_.set_text(gfx::create_text_resources(1.0f));
    ASSERT_NE(host_.measurer(), nullptr);
    auto state = std::make_unique<AppState>();
    state->report = recorded_report();
    slot_.put(std::move(state));
    ASSERT_TRUE(access_.answers(uia::kRootObjectId));  // a client asks for the window
    ASSERT_FALSE(access_.answers(OBJID_CLIENT));
    refresh();
    root_ = access_.root();
    ASSERT_TRUE(root_);
    while (serve()) {
    }
  }

  // WM_GETOBJECT's fresh tree.
  void refresh() {
    auto state = slot_.claim();
    access_.refresh(*state, host_.client_size(), host_.measurer());
  }
  // The state changed and a frame was painted.
  void frame() {
    {
      auto state = slot_.claim();
      access_.update(*state, host_.client_size(), host_.measurer());
    }
    access_.raise_pending_events();
  }
  // The window thread takes one wake message, if one was posted.
  bool serve() {
    MSG msg;
    if (!PeekMessageW(&msg, window_.get(), WM_APP_ACCESS_ACTION, WM_APP_ACCESS_ACTION,
                      PM_REMOVE)) {
      return false;
    }
    serve_access_requests(access_.take_requests(), access_.trees(), access_, slot_, host_, controller_);
    access_.raise_pending_events();
    return true;
  }
  AppState& state() { return *slot_.claim(); }

  // Depth-first through Navigate, from the root.
  ComPtr<IRawElementProviderFragment> find(const std::string& name) {
    ComPtr<IRawElementProviderFragment> root;
    if (FAILED(root_.As(&root))) return nullptr;
    return search(root.Get(), name);
  }
  ComPtr<IRawElementProviderFragment> search(IRawElementProviderFragment* at,
                                             const std::string& name) {
    if (name_of(simple(at).Get()) == name) return at;
    ComPtr<IRawElementProviderFragment> child;
    if (FAILED(at->Navigate(NavigateDirection_FirstChild, &child))) return nullptr;
    while (child) {
      if (auto found = search(child.Get(), name)) return found;
      ComPtr<IRawElementProviderFragment> next;
      if (FAILED(child->Navigate(NavigateDirection_NextSibling, &next))) return nullptr;
      child = next;
    }
    return nullptr;
  }

  UiaRect rect_of(const std::string& name) {
    UiaRect rect{-1, -1, -1, -1};
    const ComPtr<IRawElementProviderFragment> element = find(name);
    if (element) (void)element->get_BoundingRectangle(&rect);
    return rect;
  }

  ScopedLanguageOverride english_{"en"};
  test::TestWindow window_{800, 600, true};
  const WindowHandle handle_ = [this] {
    WindowHandle handle;
    handle.attach(window_.get());
    return handle;
  }();
  StateSlot<AppState> slot_;
  const SharedSlot<probe::ProbeOutcome> probes_ = std::make_shared<probe::ProbeSlot>();
  Win32WindowHost host_{handle_, probes_};
  test::FakeMenuHost menu_host_;
  MenuCommands menu_{menu_host_, Elevation::Limited};
  WindowController controller_{slot_, host_, *probes_, menu_};
  WindowAccessibility access_{handle_, WM_APP_ACCESS_ACTION};
  ComPtr<IRawElementProviderSimple> root_;
};

}  // namespace kestro::app::test_access
