#pragma once
// Battery card: per battery its name, health against its capacity when new, the two
// capacities and the cycle count, then one line with the charge level and power source.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "i18n/text_pair.h"
#include "probe/json_fields.h"
#include "probe/platform.h"
#include "probe/report.h"

namespace kestro::probe {

// The Battery card's texts.
inline constexpr TextPair kBatteryHeading{"배터리", "Battery"};
inline constexpr TextPair kBatteryHealthLabel{"배터리 건강", "Battery health"};
inline constexpr TextPair kBatteryHealthValue{"새것의 {0}%", "{0}% of new"};
inline constexpr TextPair kCapacityLabel{"용량", "Capacity"};
inline constexpr TextPair kCapacityValue{"지금 {0} / 처음 {1}", "{0} now / {1} when new"};
inline constexpr TextPair kCyclesLabel{"충전 횟수", "Charge cycles"};
inline constexpr TextPair kBatteryNameLabel{"이름", "Name"};
inline constexpr TextPair kPluggedIn{"전원 연결됨", "plugged in"};
inline constexpr TextPair kOnBattery{"배터리 사용 중", "on battery"};
inline constexpr TextPair kNowLabel{"지금", "Now"};
// Every text the Battery card shows but its heading.
inline constexpr auto kBatteryTexts = std::to_array<TextPair>({
    kBatteryHealthLabel, kBatteryHealthValue, kCapacityLabel, kCapacityValue, kCyclesLabel,
    kBatteryNameLabel, kPluggedIn, kOnBattery, kNowLabel});

// The card's heading, which also names a nameless battery by its place ("Battery 2").

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

// Reads the batteries and, when one is listed, the power status.
BatteriesFacts read_batteries(ProbePlatform& platform);

// The batteries' rows, then the Now line when the power status is known.
std::vector<Row> battery_rows(const BatteriesFacts& facts);

// The document's "batteries" list and "power" object.
Json batteries_json(const std::vector<BatteryFacts>& batteries);
Json power_json(const std::optional<PowerFacts>& power);

}  // namespace kestro::probe
