#pragma once
// The probe's result: the only data passed from the probe to the window. Every text in it is
// final and already translated.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "i18n/text_pair.h"

namespace kestro {

enum class SectionKind : std::uint8_t {
  Summary = 0,
  System = 1,
  Windows = 2,
  Processor = 3,
  Memory = 4,
  Graphics = 5,
  Displays = 6,
  Storage = 7,
  Battery = 8,
};

enum class Tone : std::uint8_t { Good = 0, Warning = 1, Bad = 2 };

struct Rgb {
  std::uint8_t r, g, b;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

TextPair section_heading(SectionKind kind);
// The "Segoe MDL2 Assets" glyph of the card heading, as UTF-8.
std::string_view section_icon(SectionKind kind);
Rgb tone_colour(Tone tone);

struct Row {
  std::string label;
  std::string value;
  Tone tone = Tone::Good;             // meaningful only when `badge` is present
  std::optional<std::string> badge;   // empty text: the gauge is coloured by tone
  std::optional<float> gauge;         // 0.0 to 1.0

  static Row plain(std::string label, std::string value);
  static Row status(std::string label, std::string badge, Tone tone);
  static Row toned_gauge(std::string label, std::string value, Tone tone, float gauge);
  static Row gauge_row(std::string label, std::string value, float gauge);

  friend bool operator==(const Row&, const Row&) = default;
};

// The text that stands for a row outside its card (clipboard, plain-text report, toast).
std::string display_text(const Row& row);

struct Section {
  std::string title;
  std::vector<Row> rows;
  SectionKind kind = SectionKind::Summary;
};

struct Report {
  std::string title;
  std::string subtitle;
  std::vector<Section> sections;
  bool needs_admin = false;
};

// Cards appear in this order; a kind whose rows came out empty is left out.
constexpr std::array<SectionKind, 9> kSectionOrder = {
    SectionKind::Summary, SectionKind::Processor, SectionKind::Memory,
    SectionKind::Graphics, SectionKind::Storage, SectionKind::Displays,
    SectionKind::Battery, SectionKind::Windows, SectionKind::System};

// Whether the window should offer "View as administrator": not elevated, at least one
// physical disk listed, and no disk's reliability record carries a temperature or wear text.
struct ReliabilityPresence {
  bool has_temperature = false;
  bool has_wear = false;
};
bool needs_admin_rule(bool is_admin, std::size_t disk_count,
                      const std::vector<ReliabilityPresence>& reliability);

}  // namespace kestro
