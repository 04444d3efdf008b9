// The window's UI Automation provider called through its COM interfaces, in process: what this
// Wine's client side cannot do from another process (patterns, rectangles, focus, the provider
// outliving its window). Calls come from other threads, as UI Automation makes them; what they
// ask is carried out when the test window's thread takes the posted wake message.
// Also the system colours behind the high-contrast palette.

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

namespace kestro::app {
namespace {

using Microsoft::WRL::ComPtr;
using test::recorded_report;

std::string name_of(IRawElementProviderSimple* element) {
  VARIANT name;
  VariantInit(&name);
  if (FAILED(element->GetPropertyValue(uia::kName, &name)) || name.vt != VT_BSTR) return "";
  std::string utf8 = from_wide(std::wstring_view(name.bstrVal, SysStringLen(name.bstrVal)));
  VariantClear(&name);
  return utf8;
}

ComPtr<IRawElementProviderSimple> simple(IRawElementProviderFragment* fragment) {
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
    host_.set_gfx(gfx::create_gfx(window_.get(), 96).gfx);  // the toolbar needs a measurer
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
  StateSlot<AppState> slot_;
  Win32WindowHost host_{window_.get()};
  probe::ProbeSlot probes_;
  test::FakeMenuHost menu_host_;
  MenuCommands menu_{menu_host_};
  WindowController controller_{slot_, host_, probes_, menu_};
  WindowAccessibility access_{window_.get(), WM_APP_ACCESS_ACTION};
  ComPtr<IRawElementProviderSimple> root_;
};

TEST_F(AccessibilityWin, InvokingARowCopiesItAndAButtonPressesIt) {
  struct Case {
    std::string element;
    std::wstring clipboard;
    std::string toast;
  };
  const Case cases[] = {
      {"Model: X1", L"Model: X1", "Copied: Model: X1"},
      {"Health: Healthy", L"Health: Healthy", "Copied: Health: Healthy"},
      {"Copy all", to_wide(to_crlf(plain_text_report(recorded_report()))),
       "Copied everything. Paste it anywhere."},
  };
  for (const Case& c : cases) {
    const ComPtr<IRawElementProviderFragment> element = find(c.element);
    ASSERT_TRUE(element) << c.element;
    ComPtr<IUnknown> pattern;
    ASSERT_EQ(simple(element.Get())->GetPatternProvider(uia::kInvokePattern, &pattern), S_OK);
    ComPtr<IInvokeProvider> invoke;
    ASSERT_EQ(pattern.As(&invoke), S_OK) << c.element;
    ASSERT_TRUE(OpenClipboard(window_.get()));
    EmptyClipboard();
    CloseClipboard();
    HRESULT invoked = E_FAIL;
    on_other_thread([&] { invoked = invoke->Invoke(); });
    EXPECT_EQ(invoked, S_OK) << c.element;
    EXPECT_EQ(test::clipboard_unicode(window_.get()), L"") << "acted before the window thread";
    EXPECT_TRUE(serve()) << c.element;
    EXPECT_EQ(test::clipboard_unicode(window_.get()), c.clipboard) << c.element;
    EXPECT_EQ(state().toast, c.toast) << c.element;
    state().toast.reset();
    EXPECT_EQ(state().focus, HitTarget{}) << "invoking does not move the focus";
  }
  // Texts and cards cannot be invoked.
  for (const char* name : {"This PC", "Summary"}) {
    const ComPtr<IRawElementProviderFragment> element = find(name);
    ASSERT_TRUE(element) << name;
    ComPtr<IUnknown> pattern;
    EXPECT_EQ(simple(element.Get())->GetPatternProvider(uia::kInvokePattern, &pattern), S_OK);
    EXPECT_FALSE(pattern) << name;
  }
}

// While a modal box owns the window, nothing in it takes input: no second modal loop can be
// started through UI Automation, not even by a request made just before it was disabled.
TEST_F(AccessibilityWin, DisabledWindowTakesNoInvocationOrFocus) {
  const ComPtr<IRawElementProviderFragment> row = find("Model: X1");
  ASSERT_TRUE(row);
  ComPtr<IInvokeProvider> invoke;
  ASSERT_EQ(row.As(&invoke), S_OK);
  const auto is_enabled = [&] {
    VARIANT value;
    VariantInit(&value);
    EXPECT_EQ(simple(row.Get())->GetPropertyValue(uia::kIsEnabled, &value), S_OK);
    return value.vt == VT_BOOL && value.boolVal == VARIANT_TRUE;
  };
  EXPECT_TRUE(is_enabled());
  HRESULT early = E_FAIL;
  on_other_thread([&] { early = invoke->Invoke(); });  // queued, not yet served
  EXPECT_EQ(early, S_OK);
  EnableWindow(window_.get(), FALSE);
  EXPECT_FALSE(is_enabled());
  HRESULT invoked = S_OK, focused = S_OK;
  on_other_thread([&] {
    invoked = invoke->Invoke();
    focused = row->SetFocus();
  });
  EXPECT_EQ(invoked, uia::kElementNotEnabled);
  EXPECT_EQ(focused, uia::kElementNotEnabled);
  while (serve()) {
  }
  EXPECT_FALSE(state().toast) << "nothing was copied";
  EnableWindow(window_.get(), TRUE);
  EXPECT_TRUE(is_enabled());
}

TEST_F(AccessibilityWin, RectanglesAreScreenPixelsFollowingScrollAndDpi) {
  POINT origin{0, 0};
  ASSERT_TRUE(ClientToScreen(window_.get(), &origin));
  const ClientSize client = host_.client_size();
  const auto row_on_screen = [&](float scale, float scroll) {
    const gfx::RectF r = layout_cards(client, scale, &*state().report).cards[1].rows[0];
    return UiaRect{origin.x + r.x, origin.y + r.y - scroll, r.width, r.height};
  };
  struct Case {
    const char* name;
    std::uint32_t dpi;
    float scroll;
  };
  const Case cases[] = {{"at rest", 96, 0}, {"scrolled", 96, 30}, {"at 150 %", 144, 30}};
  for (const Case& c : cases) {
    state().dpi = c.dpi;
    state().scroll = c.scroll;
    frame();
    (void)rect_of("Disk: Samsung 990");  // a stale tree serves once and asks for a fresh one
    while (serve()) {
    }
    const UiaRect actual = rect_of("Disk: Samsung 990");
    const UiaRect expected = row_on_screen(state().scale(), c.scroll);
    EXPECT_DOUBLE_EQ(actual.left, expected.left) << c.name;
    EXPECT_DOUBLE_EQ(actual.top, expected.top) << c.name;
    EXPECT_DOUBLE_EQ(actual.width, expected.width) << c.name;
    EXPECT_DOUBLE_EQ(actual.height, expected.height) << c.name;
  }
  EXPECT_DOUBLE_EQ(row_on_screen(1.5f, 0).height, 51);

  // The centre of a row on screen is that row.
  ComPtr<IRawElementProviderFragmentRoot> root;
  ASSERT_EQ(root_.As(&root), S_OK);
  const UiaRect row = rect_of("Disk: Samsung 990");
  ComPtr<IRawElementProviderFragment> hit;
  on_other_thread([&] {
    (void)root->ElementProviderFromPoint(row.left + row.width / 2, row.top + row.height / 2, &hit);
  });
  ASSERT_TRUE(hit);
  EXPECT_EQ(name_of(simple(hit.Get()).Get()), "Disk: Samsung 990");
  // The window's own rectangle and runtime id come from its host provider.
  UiaRect root_rect{1, 1, 1, 1};
  ComPtr<IRawElementProviderFragment> root_fragment;
  ASSERT_EQ(root_.As(&root_fragment), S_OK);
  EXPECT_EQ(root_fragment->get_BoundingRectangle(&root_rect), S_OK);
  EXPECT_EQ(root_rect.width, 0);
  ComPtr<IRawElementProviderSimple> host;
  EXPECT_EQ(root_->get_HostRawElementProvider(&host), S_OK);
  EXPECT_TRUE(host);
}

TEST_F(AccessibilityWin, GaugesAreReadOnlyRangeValues) {
  const ComPtr<IRawElementProviderFragment> gauge = find("Drive C");
  ASSERT_TRUE(gauge);
  VARIANT type;
  VariantInit(&type);
  ASSERT_EQ(simple(gauge.Get())->GetPropertyValue(uia::kControlType, &type), S_OK);
  EXPECT_EQ(type.lVal, uia::kProgressBar);
  ComPtr<IUnknown> pattern;
  ASSERT_EQ(simple(gauge.Get())->GetPatternProvider(uia::kRangeValuePattern, &pattern), S_OK);
  ComPtr<IRangeValueProvider> range;
  ASSERT_EQ(pattern.As(&range), S_OK);
  double value = 0, minimum = -1, maximum = -1;
  BOOL read_only = FALSE;
  on_other_thread([&] {
    EXPECT_EQ(range->get_Value(&value), S_OK);
    EXPECT_EQ(range->get_Minimum(&minimum), S_OK);
    EXPECT_EQ(range->get_Maximum(&maximum), S_OK);
    EXPECT_EQ(range->get_IsReadOnly(&read_only), S_OK);
    EXPECT_EQ(range->SetValue(10), uia::kElementNotEnabled);
  });
  EXPECT_NEAR(value, 43, 1e-4);
  EXPECT_EQ(minimum, 0);
  EXPECT_EQ(maximum, 100);
  EXPECT_TRUE(read_only);
  ComPtr<IUnknown> invoke;
  EXPECT_EQ(simple(gauge.Get())->GetPatternProvider(uia::kInvokePattern, &invoke), S_OK);
  EXPECT_FALSE(invoke);
  // Its parent is the row it belongs to.
  ComPtr<IRawElementProviderFragment> parent;
  ASSERT_EQ(gauge->Navigate(NavigateDirection_Parent, &parent), S_OK);
  EXPECT_EQ(name_of(simple(parent.Get()).Get()), "Drive C: 412 GB of 953 GB used");
}

TEST_F(AccessibilityWin, SetFocusMovesTheKeyboardFocus) {
  const ComPtr<IRawElementProviderFragment> row = find("Health: Healthy");
  ASSERT_TRUE(row);
  HRESULT focused = E_FAIL;
  on_other_thread([&] { focused = row->SetFocus(); });
  EXPECT_EQ(focused, S_OK);
  EXPECT_TRUE(serve());
  EXPECT_EQ(state().focus, HitTarget::value(1, 1));
  EXPECT_TRUE(state().focus_visible);
  frame();
  while (serve()) {
  }
  ComPtr<IRawElementProviderFragmentRoot> root;
  ASSERT_EQ(root_.As(&root), S_OK);
  ComPtr<IRawElementProviderFragment> focus;
  ASSERT_EQ(root->GetFocus(&focus), S_OK);
  while (serve()) {  // the stale tree answered; the fresh one has the focus
  }
  ASSERT_EQ(root->GetFocus(&focus), S_OK);
  ASSERT_TRUE(focus);
  EXPECT_EQ(name_of(simple(focus.Get()).Get()), "Health: Healthy");
  VARIANT has_focus;
  VariantInit(&has_focus);
  ASSERT_EQ(simple(focus.Get())->GetPropertyValue(uia::kHasKeyboardFocus, &has_focus), S_OK);
  EXPECT_EQ(has_focus.boolVal, VARIANT_TRUE);

  const ComPtr<IRawElementProviderFragment> title = find("This PC");
  ASSERT_TRUE(title);
  EXPECT_EQ(title->SetFocus(), uia::kInvalidOperation);
}

TEST_F(AccessibilityWin, ToastIsAPoliteLiveRegionWhileItShows) {
  controller_.show_toast("Copied: Model: X1");
  refresh();
  const ComPtr<IRawElementProviderFragment> toast = find("Copied: Model: X1");
  ASSERT_TRUE(toast);
  VARIANT live;
  VariantInit(&live);
  ASSERT_EQ(simple(toast.Get())->GetPropertyValue(uia::kLiveSetting, &live), S_OK);
  EXPECT_EQ(live.vt, VT_I4);
  EXPECT_EQ(live.lVal, uia::kLivePolite);

  state().toast.reset();  // the toast timer ran out
  refresh();
  VARIANT name;
  VariantInit(&name);
  EXPECT_EQ(simple(toast.Get())->GetPropertyValue(uia::kName, &name), uia::kElementNotAvailable);
}

TEST_F(AccessibilityWin, RuntimeIdsTellElementsApart) {
  const auto runtime_id = [](IRawElementProviderFragment* element) {
    std::vector<int> id;
    SAFEARRAY* array = nullptr;
    if (FAILED(element->GetRuntimeId(&array)) || array == nullptr) return id;
    LONG upper = -1;
    SafeArrayGetUBound(array, 1, &upper);
    for (LONG i = 0; i <= upper; ++i) {
      int value = 0;
      SafeArrayGetElement(array, &i, &value);
      id.push_back(value);
    }
    SafeArrayDestroy(array);
    return id;
  };
  const std::vector<int> model = runtime_id(find("Model: X1").Get());
  const std::vector<int> disk = runtime_id(find("Disk: Samsung 990").Get());
  ASSERT_EQ(model.size(), 5u);
  EXPECT_EQ(model[0], uia::kAppendRuntimeId);
  EXPECT_NE(model, disk);
  EXPECT_EQ(runtime_id(find("Model: X1").Get()), model);  // stable across provider objects
  ComPtr<IRawElementProviderFragment> root;
  ASSERT_EQ(root_.As(&root), S_OK);
  EXPECT_TRUE(runtime_id(root.Get()).empty());  // the window's own comes from its host
}

TEST_F(AccessibilityWin, ProvidersOutlivingTheWindowAnswerNotAvailable) {
  const ComPtr<IRawElementProviderFragment> row = find("Model: X1");
  ASSERT_TRUE(row);
  ComPtr<IUnknown> pattern;
  ASSERT_EQ(simple(row.Get())->GetPatternProvider(uia::kInvokePattern, &pattern), S_OK);
  ComPtr<IInvokeProvider> invoke;
  ASSERT_EQ(pattern.As(&invoke), S_OK);
  ComPtr<IRawElementProviderFragment> root;
  ASSERT_EQ(root_.As(&root), S_OK);

  access_.close();  // what WM_DESTROY does
  on_other_thread([&] {
    VARIANT name;
    VariantInit(&name);
    EXPECT_EQ(simple(row.Get())->GetPropertyValue(uia::kName, &name), uia::kElementNotAvailable);
    EXPECT_EQ(invoke->Invoke(), uia::kElementNotAvailable);
    ComPtr<IRawElementProviderFragment> next;
    EXPECT_EQ(row->Navigate(NavigateDirection_NextSibling, &next), uia::kElementNotAvailable);
    UiaRect rect;
    EXPECT_EQ(row->get_BoundingRectangle(&rect), uia::kElementNotAvailable);
    EXPECT_EQ(row->SetFocus(), uia::kElementNotAvailable);
    ComPtr<IRawElementProviderSimple> host;
    EXPECT_EQ(root_->get_HostRawElementProvider(&host), uia::kElementNotAvailable);
    ComPtr<IRawElementProviderFragment> child;
    EXPECT_EQ(root->Navigate(NavigateDirection_FirstChild, &child), uia::kElementNotAvailable);
  });
  EXPECT_FALSE(serve());  // nothing was posted
}

TEST_F(AccessibilityWin, ReadersOnOtherThreadsWhileTheWindowChanges) {
  std::atomic<bool> stop{false};
  std::atomic<int> named{0}, failures{0};
  std::vector<std::thread> readers;
  for (int t = 0; t < 3; ++t) {
    readers.emplace_back([&] {
      while (!stop) {
        const ComPtr<IRawElementProviderSimple> row = make_element_provider(
            access_.hub(), window_.get(), AccessKey{AccessPart::Row, 1, 1, 0});
        const std::string name = name_of(row.Get());
        if (name == "Disk: Samsung 990") ++named;
        else ++failures;
      }
    });
  }
  for (int i = 0; i < 200; ++i) {
    state().scroll = static_cast<float>(i % 40);
    refresh();
    while (serve()) {
    }
  }
  stop = true;
  for (auto& reader : readers) reader.join();
  EXPECT_GT(named.load(), 0);
  EXPECT_EQ(failures.load(), 0);
}

TEST(HighContrastColours, AreTheSystemColours) {
  const SystemColours colours = system_colours();
  struct Slot {
    int index;
    gfx::Colour colour;
  };
  const Slot slots[] = {{COLOR_WINDOW, colours.window},
                        {COLOR_WINDOWTEXT, colours.window_text},
                        {COLOR_HIGHLIGHT, colours.highlight},
                        {COLOR_HIGHLIGHTTEXT, colours.highlight_text},
                        {COLOR_BTNFACE, colours.button_face},
                        {COLOR_GRAYTEXT, colours.gray_text},
                        {COLOR_HOTLIGHT, colours.hot_light}};
  for (const Slot& s : slots) {
    const COLORREF c = GetSysColor(s.index);
    EXPECT_EQ(s.colour, (gfx::Colour{GetRValue(c) / 255.0f, GetGValue(c) / 255.0f,
                                     GetBValue(c) / 255.0f, 1.0f}))
        << s.index;
  }
  HIGHCONTRASTW setting{};
  setting.cbSize = sizeof(setting);
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(setting), &setting, 0));
  const bool on = (setting.dwFlags & HCF_HIGHCONTRASTON) != 0;
  EXPECT_EQ(high_contrast_colours().has_value(), on);
  if (on) EXPECT_EQ(*high_contrast_colours(), colours);
}

}  // namespace
}  // namespace kestro::app
