#include "probe/battery_section.h"

#include <algorithm>
#include <string>

#include "base/text.h"
#include "i18n/translate.h"
#include "probe/format.h"
#include "probe/row_values.h"

namespace kestro::probe {
namespace {

constexpr std::uint32_t kCapacityRelative = 0x40000000;  // BATTERY_CAPACITY_RELATIVE
constexpr std::uint8_t kAcOnline = 1;

// Full charge against the capacity when new, in percent, at most 100; nothing when either
// capacity is 0.
std::optional<double> health_percent(const BatteryFacts& battery) {
  if (battery.designed == 0 || battery.full == 0) return std::nullopt;
  return std::min(static_cast<double>(battery.full) * 100.0 / static_cast<double>(battery.designed),
                  100.0);
}

Tone health_tone(double percent) {
  if (percent >= 80.0) return Tone::Good;
  if (percent >= 50.0) return Tone::Warning;
  return Tone::Bad;
}

std::string watt_hours(std::uint32_t milliwatt_hours) {
  return fixed(static_cast<double>(milliwatt_hours) / 1000.0, 1) + " Wh";
}

// The Capacity row and the document's capacities: known capacities in mWh.
bool shows_capacity(const BatteryFacts& battery) {
  return health_percent(battery) && !battery.relative;
}

// Health, capacity and cycles of one battery; its name is added by the caller.
std::vector<Row> measure_rows(const BatteryFacts& battery) {
  std::vector<Row> rows;
  if (const std::optional<double> percent = health_percent(battery)) {
    rows.push_back(Row::toned_gauge(
        std::string(translate(kBatteryHealthLabel)),
        fill_template(translate(kBatteryHealthValue), {fixed(*percent, 0)}),
        health_tone(*percent), static_cast<float>(*percent) / 100.0f));
  }
  if (shows_capacity(battery)) {
    rows.push_back(Row::plain(
        std::string(translate(kCapacityLabel)),
        fill_template(translate(kCapacityValue),
                      {watt_hours(battery.full), watt_hours(battery.designed)})));
  }
  if (battery.cycles != 0) {
    rows.push_back(Row::plain(std::string(translate(kCyclesLabel)),
                              decimal(battery.cycles)));
  }
  return rows;
}

// The batteries with anything to show, in order.
std::vector<BatteryFacts> battery_facts(const std::vector<BatteryInfo>& batteries) {
  std::vector<BatteryFacts> listed;
  for (const BatteryInfo& info : batteries) {
    const BatteryFacts battery{info.name, info.designed_capacity, info.full_charged_capacity,
                               (info.capabilities & kCapacityRelative) != 0, info.cycle_count};
    if (!battery.name.empty() || health_percent(battery) || battery.cycles != 0) {
      listed.push_back(battery);
    }
  }
  return listed;
}

// The power line's facts; nothing when the charge level is unknown (above 100).
std::optional<PowerFacts> power_facts(const PowerStatus& status) {
  if (status.battery_life_percent > 100) return std::nullopt;  // 255: unknown
  return PowerFacts{status.ac_line_status == kAcOnline, status.battery_life_percent};
}

// Rows of every battery in order. When two or more are listed, each one's rows start with
// its name.
std::vector<Row> battery_record_rows(const std::vector<BatteryFacts>& batteries) {
  // With several batteries each one starts with its name, so that one's rows never read as
  // the previous one's; a nameless one is called by its place ("Battery 2").
  const bool several = batteries.size() >= 2;
  const std::string name_label(translate(kBatteryNameLabel));
  std::vector<Row> rows;
  for (std::size_t i = 0; i < batteries.size(); ++i) {
    if (!batteries[i].name.empty()) {
      rows.push_back(Row::plain(name_label, batteries[i].name));
    } else if (several) {
      rows.push_back(Row::plain(
          name_label, std::string(translate(kBatteryHeading)) + " " + decimal(i + 1)));
    }
    for (Row& row : measure_rows(batteries[i])) rows.push_back(std::move(row));
  }
  return rows;
}

// The closing "Now" line.
Row now_row(const PowerFacts& power) {
  const TextPair state = power.plugged_in ? kPluggedIn
                                          : kOnBattery;
  std::string value = decimal(power.charge_percent) + "%";
  value.append(kMiddleDot).append(translate(state));
  return Row::plain(std::string(translate(kNowLabel)), std::move(value));
}

}  // namespace

BatteriesFacts read_batteries(ProbePlatform& platform) {
  BatteriesFacts facts;
  facts.batteries = battery_facts(platform.batteries());
  // The power status is read only for a machine with a battery to show.
  if (!facts.batteries.empty()) {
    if (const std::optional<PowerStatus> status = platform.power_status()) {
      facts.power = power_facts(*status);
    }
  }
  return facts;
}

std::vector<Row> battery_rows(const BatteriesFacts& facts) {
  std::vector<Row> rows = battery_record_rows(facts.batteries);
  if (facts.power) rows.push_back(now_row(*facts.power));
  return rows;
}

Json batteries_json(const std::vector<BatteryFacts>& batteries) {
  Json list = Json::array();
  for (const BatteryFacts& battery : batteries) {
    Json object = Json::object();
    put_text(object, "name", battery.name);
    if (shows_capacity(battery)) {
      object["design_capacity_mwh"] = battery.designed;
      object["full_charge_capacity_mwh"] = battery.full;
    }
    if (const std::optional<double> percent = health_percent(battery)) {
      object["health_percent"] = whole_number(*percent);  // as the row rounds it
    }
    if (battery.cycles != 0) object["cycle_count"] = battery.cycles;
    list.push_back(std::move(object));
  }
  return list;
}

Json power_json(const std::optional<PowerFacts>& power) {
  Json object = Json::object();
  if (power) {
    object["plugged_in"] = power->plugged_in;
    object["charge_percent"] = power->charge_percent;
  }
  return object;
}

}  // namespace kestro::probe
