#pragma once
// The Direct2D drawing device of the window: a flip-model swap chain, a device context that
// works in device pixels (96 DPI) and one reusable brush. Text formats are the window's own
// (text_win32.h), not the device's. Everything here is used on the window thread only.

#include <windows.h>
#include <d2d1_1.h>
#include <dxgi1_2.h>
#include <wrl/client.h>

#include <memory>
#include <string_view>

#include "gfx/canvas.h"
#include "gfx/device_keeper.h"
#include "gfx/text_win32.h"

namespace kestro::gfx {

using Microsoft::WRL::ComPtr;

struct Gfx {
  ComPtr<IDXGISwapChain1> swap_chain;
  ComPtr<ID2D1RenderTarget> target;
  ComPtr<ID2D1DeviceContext> context;
  ComPtr<ID2D1SolidColorBrush> brush;
  ComPtr<ID2D1Bitmap1> target_bitmap;  // null after a resize until the next one is made

  // The device's calls as the window's device keeper makes them (device_keeper.h).
  DeviceStep resize(int width, int height);
  DeviceStep begin(Colour background);
  DeviceStep end();
};

// Builds the whole device for `hwnd`; null on failure (traced). Whatever was made before a
// failure is released.
std::unique_ptr<Gfx> create_gfx(HWND hwnd);

// Whether a failure means the device is gone and a whole new one must be made.
bool device_lost(HRESULT hr);

// New buffer size (each side at least one pixel) and a new target bitmap. Lost when the
// device was found gone; other errors are ignored (the next frame makes the target again).
DeviceStep resize(Gfx& gfx, int width, int height);

// Sets the target, begins drawing and clears with `background`. Only after Done may anything
// be drawn and `end_frame` be called; Failed or Lost when no target bitmap can be made.
DeviceStep begin_frame(Gfx& gfx, Colour background);

// Ends drawing, detaches the target and presents with one vertical blank. Lost asks the
// caller to build a whole new device; any other failure is ignored (Done).
DeviceStep end_frame(Gfx& gfx);

void draw_text(Gfx& gfx, const TextResources& text, std::string_view line, RectF rect,
               Colour colour, TextStyle style, bool centred);
void draw_icon(Gfx& gfx, const TextResources& text, std::string_view glyph, RectF rect,
               Colour colour);

// The portable drawing interface on top of a Gfx between begin_frame and end_frame (measuring
// works at any time).
class D2dCanvas final : public Canvas {
 public:
  D2dCanvas(Gfx& gfx, const TextResources& text) : gfx_(gfx), text_(text) {}

  std::optional<TextMetrics> measure(std::string_view text, TextStyle style) override;
  void clear(Colour colour) override;
  void fill_box(float left, float top, float right, float bottom, Colour colour) override;
  void fill_round(RectF rect, float radius, Colour colour) override;
  void stroke_round(RectF rect, float radius, float stroke_width, Colour colour) override;
  void draw_text(std::string_view text, RectF rect, Colour colour, TextStyle style,
                 bool centred) override;
  void draw_icon(std::string_view glyph, RectF rect, Colour colour) override;

 private:
  Gfx& gfx_;
  const TextResources& text_;
};

}  // namespace kestro::gfx
