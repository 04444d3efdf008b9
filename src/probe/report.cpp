#include "probe/report.h"

#include <algorithm>

namespace kestro {

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
  // As the row shows it: the badge, then what it is about ("Not ready (Processor, TPM 2.0)").
  text.append(*row.badge).append(" (").append(row.value).append(")");
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
