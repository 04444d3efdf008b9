#include "probe/report.h"

#include <algorithm>

namespace kestro {

TextPair section_heading(SectionKind kind) {
  switch (kind) {
    case SectionKind::Summary: return {"요약", "Summary"};
    case SectionKind::System: return {"시스템", "System"};
    case SectionKind::Windows: return {"운영체제", "Windows"};
    case SectionKind::Processor: return {"프로세서", "Processor"};
    case SectionKind::Memory: return {"메모리", "Memory"};
    case SectionKind::Graphics: return {"그래픽", "Graphics"};
    case SectionKind::Displays: return {"모니터", "Displays"};
    case SectionKind::Storage: return {"저장 장치", "Storage"};
    case SectionKind::Battery: return {"배터리", "Battery"};
  }
  return {"", ""};
}

std::string_view section_icon(SectionKind kind) {
  switch (kind) {
    case SectionKind::Summary: return "\xEE\xA2\xA1";    // U+E8A1
    case SectionKind::System: return "\xEE\xA5\xB7";     // U+E977
    case SectionKind::Windows: return "\xEE\xB2\xAA";    // U+ECAA
    case SectionKind::Processor: return "\xEE\xA5\x90";  // U+E950
    case SectionKind::Memory: return "\xEE\xA5\xA4";     // U+E964
    case SectionKind::Graphics: return "\xEE\x9F\xBC";   // U+E7FC
    case SectionKind::Displays: return "\xEE\x9F\xB4";   // U+E7F4
    case SectionKind::Storage: return "\xEE\xB6\xA2";    // U+EDA2
    case SectionKind::Battery: return "\xEE\xA0\xBF";    // U+E83F
  }
  return "";
}

Rgb tone_colour(Tone tone) {
  switch (tone) {
    case Tone::Good: return {0x16, 0xA3, 0x4A};
    case Tone::Warning: return {0xD9, 0x77, 0x06};
    case Tone::Bad: return {0xDC, 0x26, 0x26};
  }
  return {0, 0, 0};
}

Row Row::plain(std::string label, std::string value) {
  return Row{std::move(label), std::move(value), Tone::Good, std::nullopt, std::nullopt};
}

Row Row::status(std::string label, std::string badge, Tone tone) {
  return Row{std::move(label), {}, tone, std::move(badge), std::nullopt};
}

Row Row::toned_gauge(std::string label, std::string value, Tone tone, float gauge) {
  return Row{std::move(label), std::move(value), tone, std::string(), gauge};
}

Row Row::gauge_row(std::string label, std::string value, float gauge) {
  return Row{std::move(label), std::move(value), Tone::Good, std::nullopt, gauge};
}

std::string display_text(const Row& row) {
  if (!row.badge || row.badge->empty()) return row.value;
  if (row.value.empty()) return *row.badge;
  std::string text;
  text.reserve(row.value.size() + row.badge->size() + 3);
  text.append(row.value).append(" (").append(*row.badge).append(")");
  return text;
}

bool needs_admin_rule(bool is_admin, std::size_t disk_count,
                      const std::vector<ReliabilityPresence>& reliability) {
  if (is_admin || disk_count == 0) return false;
  return std::none_of(reliability.begin(), reliability.end(), [](const ReliabilityPresence& r) {
    return r.has_temperature || r.has_wear;
  });
}

}  // namespace kestro
