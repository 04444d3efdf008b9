// The window's UI Automation provider called through its COM interfaces, in process, for what
// this Wine's client side cannot do from another process: the patterns (invoking, gauges),
// moving the focus, the live toast, and a disabled window.

#include <gtest/gtest.h>

#include "win/access_window.h"

namespace kestro::app {
namespace {

using namespace test_access;

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
}  // namespace
}  // namespace kestro::app
