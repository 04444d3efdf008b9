#pragma once
// A calendar day as the firmware, drivers and Windows record it, and its one written form.

#include <compare>
#include <cstdint>
#include <optional>
#include <string>

#include "wmi/wmi.h"

namespace kestro::probe {

// Fields as recorded: nothing checks that the month or day exist.
struct Date {
  std::uint16_t year = 0;  // 0 to 9999
  std::uint8_t month = 0;  // 0 to 99
  std::uint8_t day = 0;    // 0 to 99
  friend auto operator<=>(const Date&, const Date&) = default;
};

// The day of a CIM datetime ("20231015000000.000000+540"): its first eight characters as
// YYYYMMDD digits (wmi::cim_date's rule); nothing when they are not eight digits.
std::optional<Date> cim_day(const wmi::WmiValue& text);

// "YYYY-MM-DD", each field zero-padded to its width.
std::string date_text(Date date);

}  // namespace kestro::probe
