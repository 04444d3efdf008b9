// The window's UI Automation provider where it depends on the window: rectangles on screen,
// runtime ids, providers outliving their window, readers on other threads while it changes;
// and the system colours behind the high-contrast palette.

#include <gtest/gtest.h>

#include "win/access_window.h"

namespace kestro::app {
namespace {

using namespace test_access;

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

// The drawing device and the text formats are made apart: a window with the device but no
// text formats paints nothing, and its rows are still read by a client.
TEST_F(AccessibilityWin, WithoutTextFormatsNothingIsPaintedAndTheTreeStays) {
  host_.set_gfx(gfx::create_gfx(window_.get()));
  ASSERT_TRUE(host_.gfx());
  ASSERT_NE(host_.begin_frame(gfx::Colour{1, 1, 1, 1}), nullptr);
  host_.end_frame();
  host_.set_text(nullptr);
  EXPECT_EQ(host_.begin_frame(gfx::Colour{1, 1, 1, 1}), nullptr);
  controller_.on_paint();
  EXPECT_TRUE(find("Model: X1"));
  host_.drop_gfx();
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
