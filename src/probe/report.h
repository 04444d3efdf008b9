#pragma once
// The probe's result as the window shows it: the only data passed from the probe to the
// window. Every text in it is final and already translated (the facts behind it are in
// facts.h).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

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
  Security = 9,
};

// How a badge or a gauge reads: good, needs attention, bad. The view gives it its colour.
enum class Tone : std::uint8_t { Good = 0, Warning = 1, Bad = 2 };

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

// One card; section_registry.h lists the kinds in card order.
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

// Whether the window should offer "View as administrator": not elevated, at least one
// physical disk listed, and no disk's reliability record carries a temperature or wear text.
struct ReliabilityPresence {
  bool has_temperature = false;
  bool has_wear = false;
};
bool needs_admin_rule(bool is_admin, std::size_t disk_count,
                      const std::vector<ReliabilityPresence>& reliability);

}  // namespace kestro
