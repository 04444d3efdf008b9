#include "gfx/gfx_win32.h"

#include <d3d11.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "base/system_library_win32.h"
#include "base/trace_win32.h"

namespace kestro::gfx {
namespace {

D2D1_COLOR_F to_d2d(Colour c) { return D2D1_COLOR_F{c.r, c.g, c.b, c.a}; }

D2D1_RECT_F to_rect(RectF r) { return D2D1_RECT_F{r.x, r.y, r.x + r.width, r.y + r.height}; }

HRESULT create_d3d_device(D3D_DRIVER_TYPE type, ComPtr<ID3D11Device>& device) {
  static const SystemFunction<HRESULT, IDXGIAdapter*, D3D_DRIVER_TYPE, HMODULE, UINT,
                              const D3D_FEATURE_LEVEL*, UINT, UINT, ID3D11Device**,
                              D3D_FEATURE_LEVEL*, ID3D11DeviceContext**>
      create(L"d3d11.dll", "D3D11CreateDevice", E_NOTIMPL);
  return create(nullptr, type, nullptr, D3D11_CREATE_DEVICE_BGRA_SUPPORT, nullptr, 0,
                D3D11_SDK_VERSION, device.ReleaseAndGetAddressOf(), nullptr, nullptr);
}

HRESULT create_d2d_factory(ComPtr<ID2D1Factory1>& factory) {
  static const SystemFunction<HRESULT, D2D1_FACTORY_TYPE, REFIID, const D2D1_FACTORY_OPTIONS*,
                              void**>
      create(L"d2d1.dll", "D2D1CreateFactory", E_NOTIMPL);
  return create(D2D1_FACTORY_TYPE_SINGLE_THREADED, __uuidof(ID2D1Factory1), nullptr,
                reinterpret_cast<void**>(factory.ReleaseAndGetAddressOf()));
}

void client_size(HWND hwnd, UINT& width, UINT& height) {
  RECT rc{};
  if (!GetClientRect(hwnd, &rc)) rc = RECT{};
  width = static_cast<UINT>(std::max<LONG>(rc.right - rc.left, 1));
  height = static_cast<UINT>(std::max<LONG>(rc.bottom - rc.top, 1));
}

// The vertical offset that centres a text of `text_height` in a box of `box_height`,
// rounded half away from zero.
float centring_offset(float box_height, float text_height) {
  return std::round((box_height - text_height) * 0.5f);
}

void draw_layout_centred(Gfx& gfx, IDWriteTextLayout* layout, RectF rect, Colour colour,
                         D2D1_DRAW_TEXT_OPTIONS options) {
  DWRITE_TEXT_METRICS metrics{};
  float text_height = 0.0f;
  if (SUCCEEDED(layout->GetMetrics(&metrics))) text_height = metrics.height;
  gfx.brush->SetColor(to_d2d(colour));
  const D2D1_POINT_2F origin{rect.x, rect.y + centring_offset(rect.height, text_height)};
  gfx.target->DrawTextLayout(origin, layout, gfx.brush.Get(), options);
}

// The target bitmap over back buffer 0, replacing any previous one.
HRESULT make_target(Gfx& gfx) {
  gfx.target_bitmap.Reset();
  ComPtr<IDXGISurface> surface;
  HRESULT hr = gfx.swap_chain->GetBuffer(0, IID_PPV_ARGS(&surface));
  if (FAILED(hr)) return hr;
  D2D1_BITMAP_PROPERTIES1 props{};
  props.pixelFormat = D2D1_PIXEL_FORMAT{DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_IGNORE};
  props.dpiX = 96.0f;
  props.dpiY = 96.0f;
  props.bitmapOptions = D2D1_BITMAP_OPTIONS_TARGET | D2D1_BITMAP_OPTIONS_CANNOT_DRAW;
  props.colorContext = nullptr;
  return gfx.context->CreateBitmapFromDxgiSurface(surface.Get(), &props,
                                                  gfx.target_bitmap.GetAddressOf());
}

struct GfxCreated {
  std::unique_ptr<Gfx> gfx;  // null on failure
  HRESULT error = S_OK;
};

GfxCreated build_gfx(HWND hwnd) {
  // Every object below is a ComPtr: an early return releases whatever was made so far.
  auto gfx = std::make_unique<Gfx>();

  ComPtr<ID2D1Factory1> d2d_factory;
  HRESULT hr = create_d2d_factory(d2d_factory);
  if (FAILED(hr)) return {nullptr, hr};

  // Machines without a hardware device (and remote sessions) draw through WARP.
  ComPtr<ID3D11Device> d3d_device;
  hr = create_d3d_device(D3D_DRIVER_TYPE_HARDWARE, d3d_device);
  if (FAILED(hr)) hr = create_d3d_device(D3D_DRIVER_TYPE_WARP, d3d_device);
  if (FAILED(hr)) return {nullptr, hr};

  ComPtr<IDXGIDevice1> dxgi_device;
  hr = d3d_device.As(&dxgi_device);
  if (FAILED(hr)) return {nullptr, hr};
  // One queued frame keeps input-to-screen delay low.
  (void)dxgi_device->SetMaximumFrameLatency(1);

  ComPtr<ID2D1Device> d2d_device;
  hr = d2d_factory->CreateDevice(dxgi_device.Get(), d2d_device.GetAddressOf());
  if (FAILED(hr)) return {nullptr, hr};
  hr = d2d_device->CreateDeviceContext(D2D1_DEVICE_CONTEXT_OPTIONS_NONE,
                                       gfx->context.GetAddressOf());
  if (FAILED(hr)) return {nullptr, hr};
  // The context works in device pixels; callers scale every measure themselves.
  gfx->context->SetDpi(96.0f, 96.0f);
  gfx->context->SetTextAntialiasMode(D2D1_TEXT_ANTIALIAS_MODE_GRAYSCALE);

  ComPtr<IDXGIAdapter> adapter;
  hr = dxgi_device->GetAdapter(adapter.GetAddressOf());
  if (FAILED(hr)) return {nullptr, hr};
  ComPtr<IDXGIFactory2> dxgi_factory;
  hr = adapter->GetParent(IID_PPV_ARGS(&dxgi_factory));
  if (FAILED(hr)) return {nullptr, hr};

  UINT width = 1, height = 1;
  client_size(hwnd, width, height);
  DXGI_SWAP_CHAIN_DESC1 desc{};
  desc.Width = width;
  desc.Height = height;
  desc.Format = DXGI_FORMAT_B8G8R8A8_UNORM;
  desc.Stereo = FALSE;
  desc.SampleDesc = DXGI_SAMPLE_DESC{1, 0};
  desc.BufferUsage = DXGI_USAGE_RENDER_TARGET_OUTPUT;
  desc.BufferCount = 2;
  desc.Scaling = DXGI_SCALING_NONE;
  desc.SwapEffect = DXGI_SWAP_EFFECT_FLIP_SEQUENTIAL;
  desc.AlphaMode = DXGI_ALPHA_MODE_IGNORE;
  desc.Flags = 0;
  hr = dxgi_factory->CreateSwapChainForHwnd(d3d_device.Get(), hwnd, &desc, nullptr, nullptr,
                                            gfx->swap_chain.GetAddressOf());
  if (FAILED(hr)) return {nullptr, hr};
  (void)dxgi_factory->MakeWindowAssociation(hwnd, DXGI_MWA_NO_ALT_ENTER);

  hr = gfx->context.As(&gfx->target);
  if (FAILED(hr)) return {nullptr, hr};
  hr = gfx->target->CreateSolidColorBrush(D2D1_COLOR_F{0, 0, 0, 1}, gfx->brush.GetAddressOf());
  if (FAILED(hr)) return {nullptr, hr};

  hr = make_target(*gfx);
  if (FAILED(hr)) return {nullptr, hr};
  return {std::move(gfx), S_OK};
}

}  // namespace

std::unique_ptr<Gfx> create_gfx(HWND hwnd) {
  // After a lost device every paint tries again: a failure that lasts is traced once.
  static FailureSite site;
  GfxCreated created = build_gfx(hwnd);
  if (created.gfx) {
    site.succeeded();
  } else {
    trace_failure(site, "Creating the drawing device", created.error);
  }
  return std::move(created.gfx);
}

bool device_lost(HRESULT hr) {
  return hr == DXGI_ERROR_DEVICE_REMOVED || hr == DXGI_ERROR_DEVICE_RESET ||
         hr == static_cast<HRESULT>(D2DERR_RECREATE_TARGET);
}

DeviceStep resize(Gfx& gfx, int width, int height) {
  gfx.context->SetTarget(nullptr);
  gfx.target_bitmap.Reset();
  static FailureSite site;
  const HRESULT resized = trace_result(
      site, "IDXGISwapChain::ResizeBuffers",
      gfx.swap_chain->ResizeBuffers(0, static_cast<UINT>(std::max(width, 1)),
                                    static_cast<UINT>(std::max(height, 1)), DXGI_FORMAT_UNKNOWN, 0));
  if (device_lost(resized)) return DeviceStep::Lost;
  if (device_lost(make_target(gfx))) return DeviceStep::Lost;
  return DeviceStep::Done;
}

DeviceStep begin_frame(Gfx& gfx, Colour background) {
  if (!gfx.target_bitmap) {
    static FailureSite site;
    const HRESULT made = trace_result(site, "Making the frame's target bitmap", make_target(gfx));
    if (device_lost(made)) return DeviceStep::Lost;
    if (FAILED(made)) return DeviceStep::Failed;
  }
  gfx.context->SetTarget(gfx.target_bitmap.Get());
  gfx.target->BeginDraw();
  gfx.target->SetTransform(D2D1_MATRIX_3X2_F{1, 0, 0, 1, 0, 0});
  gfx.target->Clear(to_d2d(background));
  return DeviceStep::Done;
}

DeviceStep end_frame(Gfx& gfx) {
  // Each frame can fail the same way: the sites trace a failure once until a frame succeeds.
  static FailureSite draw_site;
  static FailureSite present_site;
  const HRESULT drawn = trace_result(draw_site, "ID2D1RenderTarget::EndDraw", gfx.target->EndDraw());
  gfx.context->SetTarget(nullptr);
  if (device_lost(drawn)) return DeviceStep::Lost;
  const HRESULT presented =
      trace_result(present_site, "IDXGISwapChain::Present", gfx.swap_chain->Present(1, 0));
  if (device_lost(presented)) return DeviceStep::Lost;
  return DeviceStep::Done;
}

DeviceStep Gfx::resize(int width, int height) { return gfx::resize(*this, width, height); }
DeviceStep Gfx::begin(Colour background) { return begin_frame(*this, background); }
DeviceStep Gfx::end() { return end_frame(*this); }

void draw_text(Gfx& gfx, const TextResources& text, std::string_view line, RectF rect,
               Colour colour, TextStyle style, bool centred) {
  ComPtr<IDWriteTextLayout> layout = make_layout(text, line, rect.width, style, centred);
  if (!layout) return;
  draw_layout_centred(gfx, layout.Get(), rect, colour, D2D1_DRAW_TEXT_OPTIONS_CLIP);
}

void draw_icon(Gfx& gfx, const TextResources& text, std::string_view glyph, RectF rect,
               Colour colour) {
  ComPtr<IDWriteTextLayout> layout = make_layout(text, glyph, rect.width, TextStyle::Icon, true);
  if (!layout) return;
  draw_layout_centred(gfx, layout.Get(), rect, colour, D2D1_DRAW_TEXT_OPTIONS_NONE);
}

std::optional<TextMetrics> D2dCanvas::measure(std::string_view text, TextStyle style) {
  return measure_text(text_, text, style);
}

void D2dCanvas::clear(Colour colour) { gfx_.target->Clear(to_d2d(colour)); }

void D2dCanvas::fill_box(float left, float top, float right, float bottom, Colour colour) {
  gfx_.brush->SetColor(to_d2d(colour));
  gfx_.target->FillRectangle(D2D1_RECT_F{left, top, right, bottom}, gfx_.brush.Get());
}

void D2dCanvas::fill_round(RectF rect, float radius, Colour colour) {
  gfx_.brush->SetColor(to_d2d(colour));
  gfx_.target->FillRoundedRectangle(D2D1_ROUNDED_RECT{to_rect(rect), radius, radius},
                                    gfx_.brush.Get());
}

void D2dCanvas::stroke_round(RectF rect, float radius, float stroke_width, Colour colour) {
  gfx_.brush->SetColor(to_d2d(colour));
  gfx_.target->DrawRoundedRectangle(D2D1_ROUNDED_RECT{to_rect(rect), radius, radius},
                                    gfx_.brush.Get(), stroke_width, nullptr);
}

void D2dCanvas::draw_text(std::string_view text, RectF rect, Colour colour, TextStyle style,
                          bool centred) {
  gfx::draw_text(gfx_, text_, text, rect, colour, style, centred);
}

void D2dCanvas::draw_icon(std::string_view glyph, RectF rect, Colour colour) {
  gfx::draw_icon(gfx_, text_, glyph, rect, colour);
}

}  // namespace kestro::gfx
