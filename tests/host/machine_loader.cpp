#include "host/machine_loader.h"

#include <nlohmann/json.hpp>

#include <fstream>
#include <sstream>

#include "host/recorded_machines.h"

namespace kestro::test {
namespace {

using nlohmann::json;

constexpr const char* kCimv2 = "ROOT\\CIMV2";
constexpr const char* kStorage = "ROOT\\Microsoft\\Windows\\Storage";

// Answer keys of the CIMV2 session and the query each one answers.
const std::pair<const char*, const char*> kCimv2Answers[] = {
    {"computer", kComputer},
    {"board", kBoard},
    {"bios", kBios},
    {"product", kProduct},
    {"os", kOs},
    {"license", kLicensing},
    {"cpu", kProcessor},
    {"memory", kMemory},
    {"arrays", kMemoryArray},
    {"video", "SELECT Name, DriverVersion, DriverDate FROM Win32_VideoController"},
};

// A recorded value is the text before the adapter trims it; the adapter's own rule then
// makes it what the probe sees.
wmi::WmiResult answer(const json& recorded) {
  if (!recorded.at("ok").get<bool>()) return std::nullopt;
  wmi::WmiRows rows;
  for (const json& object : recorded.at("rows")) {
    wmi::WmiRow row;
    for (const json& value : object) {
      row.push_back(wmi::make_value(value.is_null() ? std::nullopt
                                                    : std::optional(value.get<std::string>())));
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

FakePlatform platform_from(const json& m) {
  FakePlatform platform;
  platform.admin = m.at("is_admin").get<bool>();
  platform.uptime_ms = m.at("tick0").get<std::uint64_t>();

  if (m.at("cimv2").get<bool>()) {
    FakeWmiSession cimv2;
    // A query without a recorded answer fails, as a missing entry does in the fake session.
    for (const auto& [key, wql] : kCimv2Answers) {
      if (m.contains(key)) cimv2.answers[wql] = answer(m.at(key));
    }
    platform.namespaces.emplace(kCimv2, std::move(cimv2));
  }
  if (m.at("storage_ns").get<bool>()) {
    FakeWmiSession storage;
    storage.answers[kDisks] = answer(m.at("disks"));
    for (const auto& [path, counters] : m.at("reliability").items()) {
      storage.answers["ASSOCIATORS OF {" + path +
                      "} WHERE ResultClass = MSFT_StorageReliabilityCounter"] = answer(counters);
    }
    platform.namespaces.emplace(kStorage, std::move(storage));
  }

  const json& display_version = m.at("display_version");
  platform.version.display_version =
      display_version.is_null() ? std::string() : display_version.get<std::string>();
  const json& ubr = m.at("ubr");
  if (!ubr.is_null()) platform.version.ubr = ubr.get<std::uint32_t>();

  for (const json& a : m.at("adapters")) {
    platform.adapters.push_back(probe::GraphicsAdapter{
        a.at("name").get<std::string>(), a.at("vram").get<std::uint64_t>(),
        a.at("flags").get<std::uint32_t>()});
  }

  // Each path gets a source mode and a target mode of its own.
  probe::DisplayConfig displays;
  for (const json& d : m.at("displays")) {
    const json& name = d.at("name");
    displays.paths.push_back(probe::DisplayPath{
        static_cast<std::uint32_t>(displays.modes.size()), d.at("num").get<std::uint32_t>(),
        d.at("den").get<std::uint32_t>(),
        name.is_null() ? std::nullopt : std::optional(name.get<std::string>())});
    displays.modes.push_back(probe::DisplayMode{1, d.at("width").get<std::uint32_t>(),
                                                d.at("height").get<std::uint32_t>()});
    displays.modes.push_back(probe::DisplayMode{2, 0, 0});
  }
  platform.displays = std::move(displays);

  for (const json& d : m.at("drives")) {
    const char letter = d.at("letter").get<std::string>().at(0);
    if (letter < 'A' || letter > 'Z') continue;
    platform.drive_mask |= 1u << (letter - 'A');
    platform.fixed[letter] = d.at("type").get<int>() == 3;
    if (d.at("ok").get<bool>()) {
      platform.spaces[letter] =
          probe::DriveSpace{d.at("total").get<std::uint64_t>(), d.at("free").get<std::uint64_t>()};
    }
  }

  for (const json& b : m.at("batteries")) {
    platform.battery_list.push_back(probe::BatteryInfo{
        b.at("name").get<std::string>(), b.at("capabilities").get<std::uint32_t>(),
        b.at("designed").get<std::uint32_t>(), b.at("full").get<std::uint32_t>(),
        b.at("cycles").get<std::uint32_t>()});
  }
  const json& power = m.at("power");
  if (power.at("ok").get<bool>()) {
    platform.power = probe::PowerStatus{power.at("ac").get<std::uint8_t>(),
                                        power.at("percent").get<std::uint8_t>()};
  }
  return platform;
}

}  // namespace

std::optional<FakePlatform> load_machine(std::string_view text, std::string& error) {
  const json machine = json::parse(text, nullptr, /*allow_exceptions=*/false);
  if (machine.is_discarded()) {
    error = "not JSON";
    return std::nullopt;
  }
  try {
    return platform_from(machine);
  } catch (const json::exception& e) {
    error = e.what();  // a key missing or of the wrong type
    return std::nullopt;
  }
}

std::optional<std::string> read_file(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  std::ostringstream content;
  content << file.rdbuf();
  return content.str();
}

}  // namespace kestro::test
