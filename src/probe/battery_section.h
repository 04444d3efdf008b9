#pragma once
// Battery card: per battery its name, health against its capacity when new, the two
// capacities and the cycle count, then one line with the charge level and power source.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "i18n/text_pair.h"
#include "probe/json_fields.h"
#include "probe/platform.h"
#include "probe/report.h"

namespace kestro::probe {

// The card's heading, which also names a nameless battery by its place ("Battery 2").
inline constexpr TextPair kBatteryHeading{"배터리", "Battery"};

// One battery with something to show: a name, both capacities or a cycle count.
struct BatteryFacts {
  std::string name;                   // empty when the name query failed
  std::uint32_t designed = 0;         // capacity when new, mWh unless `relative`
  std::uint32_t full = 0;             // capacity when fully charged now, same unit
  bool relative = false;              // capacities in relative units, not mWh
  std::uint32_t cycles = 0;           // 0: not counted
};

struct PowerFacts {
  bool plugged_in = false;
  std::uint8_t charge_percent = 0;    // 0 to 100
};

struct BatteriesFacts {
  std::vector<BatteryFacts> batteries;
  std::optional<PowerFacts> power;    // read only when a battery is listed; absent if unknown
};

// The batteries with anything to show, in order.
std::vector<BatteryFacts> battery_facts(const std::vector<BatteryInfo>& batteries);

// The power line's facts; nothing when the charge level is unknown (above 100).
std::optional<PowerFacts> power_facts(const PowerStatus& status);

// Reads the batteries and, when one is listed, the power status.
BatteriesFacts read_batteries(ProbePlatform& platform);

// Full charge against the capacity when new, in percent, at most 100; nothing when either
// capacity is 0.
std::optional<double> health_percent(const BatteryFacts& battery);

// Rows of every battery in order. When two or more are listed, each one's rows start with
// its name.
std::vector<Row> battery_record_rows(const std::vector<BatteryFacts>& batteries);

// The closing "Now" line.
Row now_row(const PowerFacts& power);

// The batteries' rows, then the Now line when the power status is known.
std::vector<Row> battery_rows(const BatteriesFacts& facts);

// The document's "batteries" list and "power" object.
Json batteries_json(const std::vector<BatteryFacts>& batteries);
Json power_json(const std::optional<PowerFacts>& power);

}  // namespace kestro::probe
