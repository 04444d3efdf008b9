#include "probe/battery_section.h"

#include <algorithm>
#include <string>

#include "i18n/translate.h"
#include "probe/format.h"
#include "probe/row_values.h"
#include "probe/sections.h"

namespace kestro::probe {
namespace {

constexpr std::uint32_t kCapacityRelative = 0x40000000;  // BATTERY_CAPACITY_RELATIVE
constexpr std::uint8_t kAcOnline = 1;

Tone health_tone(double percent) {
  if (percent >= 80.0) return Tone::Good;
  if (percent >= 50.0) return Tone::Warning;
  return Tone::Bad;
}

std::string watt_hours(std::uint32_t milliwatt_hours) {
  return fixed(static_cast<double>(milliwatt_hours) / 1000.0, 1) + " Wh";
}

// Health, capacity and cycles of one battery; its name is added by the caller.
std::vector<Row> measure_rows(const BatteryInfo& battery) {
  std::vector<Row> rows;
  const std::uint32_t designed = battery.designed_capacity;
  const std::uint32_t full = battery.full_charged_capacity;
  if (designed != 0 && full != 0) {
    const double percent =
        std::min(static_cast<double>(full) * 100.0 / static_cast<double>(designed), 100.0);
    rows.push_back(Row::toned_gauge(
        std::string(translate({"배터리 건강", "Battery health"})),
        fill_template(translate({"새것의 {0}%", "{0}% of new"}), {fixed(percent, 0)}),
        health_tone(percent), static_cast<float>(percent) / 100.0f));
    if ((battery.capabilities & kCapacityRelative) == 0) {
      rows.push_back(Row::plain(
          std::string(translate({"용량", "Capacity"})),
          fill_template(translate({"지금 {0} / 처음 {1}", "{0} now / {1} when new"}),
                        {watt_hours(full), watt_hours(designed)})));
    }
  }
  if (battery.cycle_count != 0) {
    rows.push_back(Row::plain(std::string(translate({"충전 횟수", "Charge cycles"})),
                              decimal(battery.cycle_count)));
  }
  return rows;
}

}  // namespace

std::vector<Row> battery_record_rows(const std::vector<BatteryInfo>& batteries) {
  struct Shown {
    std::string_view name;
    std::vector<Row> rows;
  };
  std::vector<Shown> shown;  // the batteries with anything to show
  for (const BatteryInfo& battery : batteries) {
    std::vector<Row> rows = measure_rows(battery);
    if (!battery.name.empty() || !rows.empty()) shown.push_back({battery.name, std::move(rows)});
  }
  // With several batteries each one starts with its name, so that one's rows never read as
  // the previous one's; a nameless one is called by its place ("Battery 2").
  const bool several = shown.size() >= 2;
  const std::string name_label(translate({"이름", "Name"}));
  std::vector<Row> rows;
  for (std::size_t i = 0; i < shown.size(); ++i) {
    if (!shown[i].name.empty()) {
      rows.push_back(Row::plain(name_label, std::string(shown[i].name)));
    } else if (several) {
      rows.push_back(Row::plain(
          name_label, std::string(translate(section_heading(SectionKind::Battery))) + " " +
                          decimal(i + 1)));
    }
    for (Row& row : shown[i].rows) rows.push_back(std::move(row));
  }
  return rows;
}

std::optional<Row> now_row(const PowerStatus& status) {
  if (status.battery_life_percent > 100) return std::nullopt;  // 255: unknown
  const TextPair state = status.ac_line_status == kAcOnline
                             ? TextPair{"전원 연결됨", "plugged in"}
                             : TextPair{"배터리 사용 중", "on battery"};
  std::string value = decimal(status.battery_life_percent) + "%";
  value.append(kMiddleDot).append(translate(state));
  return Row::plain(std::string(translate({"지금", "Now"})), std::move(value));
}

std::vector<Row> probe_battery(ProbePlatform& platform) {
  std::vector<Row> rows = battery_record_rows(platform.batteries());
  // The power status is read only for a machine whose batteries produced a row.
  if (!rows.empty()) {
    if (const std::optional<PowerStatus> status = platform.power_status()) {
      if (auto now = now_row(*status)) rows.push_back(std::move(*now));
    }
  }
  return rows;
}

}  // namespace kestro::probe
