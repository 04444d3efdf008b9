// The Direct2D device and the window's text formats against Wine's Direct3D, DXGI, Direct2D and
// DirectWrite. The test prefix maps "Segoe UI" to an installed font; without that DirectWrite
// measures nothing.

#include <gtest/gtest.h>

#include <string>

#include "gfx/gfx_win32.h"
#include "gfx/text_win32.h"
#include "win/test_window_win32.h"

namespace kestro::gfx {
namespace {

struct SwapSize {
  UINT width, height;
};

SwapSize buffer_size(const Gfx& gfx) {
  DXGI_SWAP_CHAIN_DESC1 desc{};
  if (FAILED(gfx.swap_chain->GetDesc1(&desc))) return {0, 0};
  return {desc.Width, desc.Height};
}

class GfxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(window_.get(), nullptr);
    gfx_ = create_gfx(window_.get());
    ASSERT_TRUE(gfx_);
    text_ = create_text_resources(1.0f);
    ASSERT_TRUE(text_);
  }

  test::TestWindow window_{640, 480, true};
  std::unique_ptr<Gfx> gfx_;
  std::unique_ptr<TextResources> text_;
};

TEST_F(GfxTest, CreationMakesEverythingAFrameNeeds) {
  EXPECT_TRUE(text_->factory);
  EXPECT_TRUE(gfx_->target);
  EXPECT_TRUE(gfx_->context);
  EXPECT_TRUE(gfx_->brush);
  EXPECT_TRUE(gfx_->target_bitmap);
  EXPECT_FLOAT_EQ(text_->scale, 1.0f);
  RECT client{};
  GetClientRect(window_.get(), &client);
  const SwapSize size = buffer_size(*gfx_);
  EXPECT_EQ(size.width, static_cast<UINT>(client.right));
  EXPECT_EQ(size.height, static_cast<UINT>(client.bottom));
  // The context draws in device pixels.
  float dpi_x = 0, dpi_y = 0;
  gfx_->context->GetDpi(&dpi_x, &dpi_y);
  EXPECT_FLOAT_EQ(dpi_x, 96.0f);
  EXPECT_FLOAT_EQ(dpi_y, 96.0f);
}

TEST_F(GfxTest, TextFormatsCarryTheScaleInTheirSizes) {
  struct Expected {
    TextStyle style;
    const wchar_t* family;
    DWRITE_FONT_WEIGHT weight;
    float size;
  };
  const Expected table[] = {
      {TextStyle::Caption, L"Segoe UI", DWRITE_FONT_WEIGHT_NORMAL, 11.5f},
      {TextStyle::Body, L"Segoe UI", DWRITE_FONT_WEIGHT_NORMAL, 13.0f},
      {TextStyle::BodyStrong, L"Segoe UI", DWRITE_FONT_WEIGHT_SEMI_BOLD, 13.0f},
      {TextStyle::Title, L"Segoe UI", DWRITE_FONT_WEIGHT_SEMI_BOLD, 20.0f},
      {TextStyle::Icon, L"Segoe MDL2 Assets", DWRITE_FONT_WEIGHT_NORMAL, 16.0f},
  };
  ASSERT_TRUE(rebuild_text_formats(*text_, 1.5f));
  EXPECT_FLOAT_EQ(text_->scale, 1.5f);
  for (const Expected& e : table) {
    IDWriteTextFormat* format = text_->format(e.style);
    ASSERT_NE(format, nullptr);
    wchar_t family[64] = {};
    format->GetFontFamilyName(family, 64);
    EXPECT_STREQ(family, e.family);
    EXPECT_EQ(format->GetFontWeight(), e.weight);
    EXPECT_FLOAT_EQ(format->GetFontSize(), e.size * 1.5f);
    wchar_t locale[16] = {L'x'};
    format->GetLocaleName(locale, 16);
    EXPECT_STREQ(locale, L"");
  }
}

// Measuring needs no drawing device: the text formats alone measure as the canvas does.
TEST_F(GfxTest, MeasuringGivesWidthsThatGrowWithTextAndScale) {
  D2dCanvas canvas(*gfx_, *text_);
  TextOnlyMeasurer without_device(*text_);
  EXPECT_EQ(without_device.measure("Copy all", TextStyle::Body)->width,
            canvas.measure("Copy all", TextStyle::Body)->width);
  const auto short_text = canvas.measure("Copy all", TextStyle::Body);
  const auto long_text = canvas.measure("Copy all Copy all", TextStyle::Body);
  const auto title = canvas.measure("Copy all", TextStyle::Title);
  ASSERT_TRUE(short_text && long_text && title);
  EXPECT_GT(short_text->width, 20.0f);
  EXPECT_GT(short_text->height, 10.0f);
  EXPECT_GT(long_text->width, 2 * short_text->width);  // includes the space in between
  EXPECT_GT(title->width, short_text->width);
  // Trailing white space counts.
  const auto trailing = canvas.measure("Copy all   ", TextStyle::Body);
  ASSERT_TRUE(trailing);
  EXPECT_GT(trailing->width, short_text->width);
  // Korean goes through the same replacement font.
  const auto korean = canvas.measure("\xEB\xAA\xA8\xEB\x91\x90 \xEB\xB3\xB5\xEC\x82\xAC",
                                     TextStyle::Body);
  ASSERT_TRUE(korean);
  EXPECT_GT(korean->width, 20.0f);

  ASSERT_TRUE(rebuild_text_formats(*text_, 1.5f));
  const auto scaled = canvas.measure("Copy all", TextStyle::Body);
  ASSERT_TRUE(scaled);
  EXPECT_NEAR(scaled->width, short_text->width * 1.5f, short_text->width * 0.1f);
}

TEST_F(GfxTest, LayoutStaysOnOneLineAndIsCutAtItsWidth) {
  const std::string wide_text(200, 'W');
  ComPtr<IDWriteTextLayout> layout = make_layout(*text_, wide_text, 100.0f, TextStyle::Body, false);
  ASSERT_TRUE(layout);
  DWRITE_TEXT_METRICS metrics{};
  ASSERT_HRESULT_SUCCEEDED(layout->GetMetrics(&metrics));
  EXPECT_EQ(metrics.lineCount, 1u);
  EXPECT_LE(metrics.width, 100.5f);
  EXPECT_EQ(layout->GetWordWrapping(), DWRITE_WORD_WRAPPING_NO_WRAP);
  DWRITE_TRIMMING trimming{};
  ComPtr<IDWriteInlineObject> sign;
  ASSERT_HRESULT_SUCCEEDED(layout->GetTrimming(&trimming, sign.GetAddressOf()));
  EXPECT_EQ(trimming.granularity, DWRITE_TRIMMING_GRANULARITY_CHARACTER);
  EXPECT_TRUE(sign);  // the ellipsis

  ComPtr<IDWriteTextLayout> centred = make_layout(*text_, "x", 0.0f, TextStyle::Caption, true);
  ASSERT_TRUE(centred);
  EXPECT_EQ(centred->GetTextAlignment(), DWRITE_TEXT_ALIGNMENT_CENTER);
  EXPECT_FLOAT_EQ(centred->GetMaxWidth(), 1.0f);  // at least one pixel
}

TEST_F(GfxTest, ResizeKeepsBuffersAtLeastOnePixel) {
  struct Case {
    int width, height;
    UINT expected_width, expected_height;
  };
  const Case cases[] = {{0, 0, 1, 1}, {-5, 30, 1, 30}, {300, 200, 300, 200}};
  for (const Case& c : cases) {
    resize(*gfx_, c.width, c.height);
    const SwapSize size = buffer_size(*gfx_);
    EXPECT_EQ(size.width, c.expected_width) << c.width << "x" << c.height;
    EXPECT_EQ(size.height, c.expected_height) << c.width << "x" << c.height;
    ASSERT_TRUE(gfx_->target_bitmap);
    const D2D1_SIZE_U pixels = gfx_->target_bitmap->GetPixelSize();
    EXPECT_EQ(pixels.width, c.expected_width);
    EXPECT_EQ(pixels.height, c.expected_height);
  }
}

TEST_F(GfxTest, FramesDrawAndPresentWithoutError) {
  D2dCanvas canvas(*gfx_, *text_);
  for (int frame = 0; frame < 3; ++frame) {
    ASSERT_EQ(begin_frame(*gfx_, Colour{0.949f, 0.957f, 0.969f, 1}), DeviceStep::Done);
    canvas.fill_box(0, 0, 640, 52, Colour{1, 1, 1, 1});
    canvas.fill_round(RectF{24, 80, 300, 120}, 10, Colour{1, 1, 1, 1});
    canvas.stroke_round(RectF{24.5f, 80.5f, 299, 119}, 10, 1, Colour{0.89f, 0.9f, 0.92f, 1});
    canvas.draw_text("Reading this PC's details...", RectF{0, 200, 640, 40},
                     Colour{0.42f, 0.45f, 0.5f, 1}, TextStyle::Title, true);
    canvas.draw_icon("\xEE\x9C\x80", RectF{590, 8, 36, 36}, Colour{0, 0, 0, 1});
    EXPECT_EQ(end_frame(*gfx_), DeviceStep::Done);
  }
  // After a resize the target is made again at the next frame if needed.
  resize(*gfx_, 0, 0);
  gfx_->target_bitmap.Reset();
  ASSERT_EQ(begin_frame(*gfx_, Colour{}), DeviceStep::Done);
  EXPECT_TRUE(gfx_->target_bitmap);
  EXPECT_EQ(end_frame(*gfx_), DeviceStep::Done);
}

// After a lost device the window gets a whole new device; the old one is released first
// because a window carries only one flip-model swap chain at a time.
TEST_F(GfxTest, ASecondDeviceForTheWindowDrawsOnceTheFirstIsGone) {
  gfx_.reset();
  const std::unique_ptr<Gfx> fresh = create_gfx(window_.get());
  ASSERT_TRUE(fresh);
  ASSERT_EQ(begin_frame(*fresh, Colour{1, 1, 1, 1}), DeviceStep::Done);
  EXPECT_EQ(end_frame(*fresh), DeviceStep::Done);
}

TEST(GfxHiddenWindow, CreatesOnAHiddenWindowAtHighDpi) {
  test::TestWindow window(400, 300, false);
  ASSERT_TRUE(create_gfx(window.get()));
  const std::unique_ptr<TextResources> text = create_text_resources(1.5f);
  ASSERT_TRUE(text);
  EXPECT_FLOAT_EQ(text->format(TextStyle::Title)->GetFontSize(), 30.0f);
}

}  // namespace
}  // namespace kestro::gfx
