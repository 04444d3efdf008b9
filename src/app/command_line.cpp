#include "app/command_line.h"

#include <algorithm>

namespace kestro::app {
namespace {

bool has_exact(const std::vector<std::string>& arguments, std::string_view wanted) {
  return std::any_of(arguments.begin(), arguments.end(),
                     [wanted](const std::string& argument) { return argument == wanted; });
}

}  // namespace

bool has_unregister_switch(const std::vector<std::string>& arguments) {
  return has_exact(arguments, kUnregisterSwitch);
}

bool has_report_switch(const std::vector<std::string>& arguments) {
  return has_exact(arguments, kReportSwitch);
}

bool has_json_switch(const std::vector<std::string>& arguments) {
  return has_exact(arguments, kJsonSwitch);
}

}  // namespace kestro::app
