#pragma once
// The program's switches. Each is recognised only as an exact, case-sensitive argument; the
// program name (first argument) is examined like the others.

#include <string>
#include <string_view>
#include <vector>

namespace kestro::app {

inline constexpr std::string_view kUnregisterSwitch = "--unregister";
inline constexpr std::string_view kReportSwitch = "--report";
inline constexpr std::string_view kJsonSwitch = "--json";

bool has_unregister_switch(const std::vector<std::string>& arguments);
bool has_report_switch(const std::vector<std::string>& arguments);
bool has_json_switch(const std::vector<std::string>& arguments);

}  // namespace kestro::app
