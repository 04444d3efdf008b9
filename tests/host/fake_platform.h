#pragma once
// Recorded platform inputs for probe tests: a WMI session that answers WQL texts from a table,
// and a platform whose every read is a public field.

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "probe/platform.h"
#include "wmi/wmi.h"

namespace kestro::test {

class FakeWmiSession final : public wmi::WmiSession {
 public:
  // Answers by exact WQL text; a text without an entry is a failed query.
  std::map<std::string, wmi::WmiResult, std::less<>> answers;
  std::vector<std::string>* sent = nullptr;  // every WQL text received, in order

  wmi::WmiResult query_text(std::string_view wql, wmi::PropertyList properties) override {
    if (sent) sent->emplace_back(wql);
    const auto found = answers.find(wql);
    if (found == answers.end() || !found->second) return std::nullopt;
    wmi::WmiRows rows = *found->second;
    for (wmi::WmiRow& row : rows) row.resize(properties.size());  // recorded rows may be short
    return rows;
  }
};

class FakePlatform final : public probe::ProbePlatform {
 public:
  // Namespaces that connect; each connect hands out a copy of the recorded session.
  std::map<std::string, FakeWmiSession, std::less<>> namespaces;
  std::vector<std::string> sent;  // WQL texts of every session, in order
  std::vector<std::string> connected;
  bool admin = false;
  std::uint64_t uptime_ms = 0;
  probe::VersionValues version;
  std::vector<probe::GraphicsAdapter> adapters;
  std::optional<probe::DisplayConfig> displays;
  std::uint32_t drive_mask = 0;
  std::map<char, bool> fixed;
  std::map<char, probe::DriveSpace> spaces;
  std::vector<probe::BatteryInfo> battery_list;
  std::optional<probe::PowerStatus> power;
  int power_status_calls = 0;

  bool is_admin() override { return admin; }
  std::uint64_t milliseconds_since_boot() override { return uptime_ms; }
  std::unique_ptr<wmi::WmiSession> connect(std::string_view wmi_namespace) override {
    connected.emplace_back(wmi_namespace);
    const auto found = namespaces.find(wmi_namespace);
    if (found == namespaces.end()) return nullptr;
    auto session = std::make_unique<FakeWmiSession>(found->second);
    session->sent = &sent;
    return session;
  }
  probe::VersionValues windows_version_values() override { return version; }
  std::vector<probe::GraphicsAdapter> graphics_adapters() override { return adapters; }
  std::optional<probe::DisplayConfig> display_config() override { return displays; }
  std::uint32_t logical_drive_mask() override { return drive_mask; }
  bool is_fixed_drive(char letter) override {
    const auto found = fixed.find(letter);
    return found != fixed.end() && found->second;
  }
  std::optional<probe::DriveSpace> drive_space(char letter) override {
    const auto found = spaces.find(letter);
    if (found == spaces.end()) return std::nullopt;
    return found->second;
  }
  std::vector<probe::BatteryInfo> batteries() override { return battery_list; }
  std::optional<probe::PowerStatus> power_status() override {
    ++power_status_calls;
    return power;
  }
};

// Shorthand for recorded rows: {"a", std::nullopt, "  b "}.
inline wmi::WmiRow row(std::initializer_list<wmi::WmiValue> values) { return wmi::WmiRow(values); }

}  // namespace kestro::test
