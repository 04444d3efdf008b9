#include "gfx/text_win32.h"

#include <algorithm>
#include <limits>
#include <string>

#include "base/system_library_win32.h"
#include "base/trace_win32.h"
#include "base/utf16_win32.h"

namespace kestro::gfx {
namespace {

struct FormatSpec {
  const wchar_t* family;
  DWRITE_FONT_WEIGHT weight;
  float size;  // device-independent pixels
};

// Indexed by TextStyle.
constexpr std::array<FormatSpec, 5> kFormats = {{
    {L"Segoe UI", DWRITE_FONT_WEIGHT_NORMAL, 11.5f},
    {L"Segoe UI", DWRITE_FONT_WEIGHT_NORMAL, 13.0f},
    {L"Segoe UI", DWRITE_FONT_WEIGHT_SEMI_BOLD, 13.0f},
    {L"Segoe UI", DWRITE_FONT_WEIGHT_SEMI_BOLD, 20.0f},
    {L"Segoe MDL2 Assets", DWRITE_FONT_WEIGHT_NORMAL, 16.0f},
}};

HRESULT create_write_factory(ComPtr<IDWriteFactory>& factory) {
  static const SystemFunction<HRESULT, DWRITE_FACTORY_TYPE, REFIID, IUnknown**> create(
      L"dwrite.dll", "DWriteCreateFactory", E_NOTIMPL);
  return create(DWRITE_FACTORY_TYPE_SHARED, __uuidof(IDWriteFactory),
                reinterpret_cast<IUnknown**>(factory.ReleaseAndGetAddressOf()));
}

}  // namespace

std::unique_ptr<TextResources> create_text_resources(float scale) {
  auto text = std::make_unique<TextResources>();
  text->scale = scale;
  const HRESULT hr = create_write_factory(text->factory);
  if (FAILED(hr)) {
    trace_failure("DWriteCreateFactory", hr);
    return nullptr;
  }
  std::optional<TextFormats> formats = build_text_formats(text->factory.Get(), scale);
  if (!formats) return nullptr;
  text->formats = std::move(*formats);
  return text;
}

std::optional<TextFormats> build_text_formats(IDWriteFactory* factory, float scale) {
  TextFormats formats;
  for (std::size_t i = 0; i < kFormats.size(); ++i) {
    const FormatSpec& spec = kFormats[i];
    HRESULT hr = factory->CreateTextFormat(spec.family, nullptr, spec.weight,
                                           DWRITE_FONT_STYLE_NORMAL, DWRITE_FONT_STRETCH_NORMAL,
                                           spec.size * scale, L"", formats[i].GetAddressOf());
    if (FAILED(hr)) {
      trace_failure("IDWriteFactory::CreateTextFormat", hr);
      return std::nullopt;
    }
  }
  return formats;
}

bool rebuild_text_formats(TextResources& text, float scale) {
  std::optional<TextFormats> formats = build_text_formats(text.factory.Get(), scale);
  if (!formats) return false;
  text.formats = std::move(*formats);
  text.scale = scale;
  return true;
}

ComPtr<IDWriteTextLayout> make_layout(const TextResources& text, std::string_view line,
                                      float max_width, TextStyle style, bool centred) {
  IDWriteTextFormat* format = text.format(style);
  if (format == nullptr) return nullptr;
  std::wstring wide = to_wide(line);
  if (wide.size() > std::numeric_limits<UINT32>::max()) return nullptr;
  ComPtr<IDWriteTextLayout> layout;
  HRESULT hr = text.factory->CreateTextLayout(wide.c_str(), static_cast<UINT32>(wide.size()),
                                              format, std::max(max_width, 1.0f), 1000.0f,
                                              layout.GetAddressOf());
  if (FAILED(hr)) return nullptr;
  // Setter failures leave the layout as it is; it is still drawn.
  (void)layout->SetWordWrapping(DWRITE_WORD_WRAPPING_NO_WRAP);
  if (style != TextStyle::Icon) {
    ComPtr<IDWriteInlineObject> ellipsis;
    if (SUCCEEDED(text.factory->CreateEllipsisTrimmingSign(format, ellipsis.GetAddressOf()))) {
      DWRITE_TRIMMING trimming{DWRITE_TRIMMING_GRANULARITY_CHARACTER, 0, 0};
      (void)layout->SetTrimming(&trimming, ellipsis.Get());
    }
  }
  (void)layout->SetTextAlignment(centred ? DWRITE_TEXT_ALIGNMENT_CENTER
                                         : DWRITE_TEXT_ALIGNMENT_LEADING);
  return layout;
}

std::optional<TextMetrics> measure_text(const TextResources& text, std::string_view line,
                                        TextStyle style) {
  ComPtr<IDWriteTextLayout> layout = make_layout(text, line, 10000.0f, style, false);
  if (!layout) return std::nullopt;
  DWRITE_TEXT_METRICS metrics{};
  if (FAILED(layout->GetMetrics(&metrics))) return std::nullopt;
  return TextMetrics{metrics.widthIncludingTrailingWhitespace, metrics.height};
}

}  // namespace kestro::gfx
