#include "host/machine_loader.h"

#include <nlohmann/json.hpp>

#include "host/recorded_machines.h"

namespace kestro::test {
namespace {

using nlohmann::json;

// A recorded value is the text before the adapter trims it; make_value trims it as the
// adapter does. Without "ok" the query failed.
wmi::WmiResult answer(const json& recorded) {
  if (!recorded.at("ok").get<bool>()) return std::nullopt;
  wmi::WmiRows rows;
  for (const json& object : recorded.at("rows")) {
    wmi::WmiRow& row = rows.emplace_back();
    for (const json& v : object) {
      row.push_back(wmi::make_value(v.is_null() ? std::nullopt : std::optional(v.get<std::string>())));
    }
  }
  return rows;
}

std::optional<std::string> optional_text(const json& value) {
  return value.is_null() ? std::nullopt : std::optional(value.get<std::string>());
}

}  // namespace

FakePlatform load_machine(std::string_view text) {
  const json m = json::parse(text);
  FakePlatform p;
  p.admin = m.at("is_admin");
  p.uptime_ms = m.at("tick0");
  if (m.at("cimv2")) {
    FakeWmiSession& cimv2 = p.namespaces["ROOT\\CIMV2"];
    const std::pair<const char*, const char*> queries[] = {
        {"computer", kComputer}, {"board", kBoard},       {"bios", kBios},
        {"product", kProduct},   {"os", kOs},             {"license", kLicensing},
        {"cpu", kProcessor},     {"memory", kMemory},     {"arrays", kMemoryArray},
        {"video", "SELECT Name, DriverVersion, DriverDate FROM Win32_VideoController"}};
    for (const auto& [key, wql] : queries) {
      if (m.contains(key)) cimv2.answers[wql] = answer(m[key]);  // no key: a failed query
    }
  }
  if (m.at("storage_ns")) {
    FakeWmiSession& storage = p.namespaces["ROOT\\Microsoft\\Windows\\Storage"];
    storage.answers[kDisks] = answer(m.at("disks"));
    for (const auto& [path, counters] : m.at("reliability").items()) {
      storage.answers["ASSOCIATORS OF {" + path +
                      "} WHERE ResultClass = MSFT_StorageReliabilityCounter"] = answer(counters);
    }
  }
  p.version = {optional_text(m.at("display_version")).value_or(""),
               m.at("ubr").is_null() ? std::nullopt : std::optional<std::uint32_t>(m["ubr"])};
  for (const json& a : m.at("adapters")) p.adapters.push_back({a.at("name"), a.at("vram"), a.at("flags")});
  p.displays.emplace();
  for (const json& d : m.at("displays")) {  // each path with a source and a target mode
    const auto source = static_cast<std::uint32_t>(p.displays->modes.size());
    p.displays->paths.push_back({source, d.at("num"), d.at("den"), optional_text(d.at("name"))});
    p.displays->modes.push_back({1, d.at("width"), d.at("height")});
    p.displays->modes.push_back({2, 0, 0});
  }
  for (const json& d : m.at("drives")) {
    const char letter = d.at("letter").get<std::string>().at(0);
    p.drive_mask |= 1u << (letter - 'A');
    p.fixed[letter] = d.at("type") == 3;
    if (d.at("ok")) p.spaces[letter] = {d.at("total"), d.at("free")};
  }
  for (const json& b : m.at("batteries")) {
    p.battery_list.push_back(
        {b.at("name"), b.at("capabilities"), b.at("designed"), b.at("full"), b.at("cycles")});
  }
  if (const json& power = m.at("power"); power.at("ok")) p.power = {{power.at("ac"), power.at("percent")}};
  return p;
}

}  // namespace kestro::test
