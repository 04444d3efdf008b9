#include "machine/recorded_machine.h"

#include <algorithm>

#include <nlohmann/json.hpp>

#include "base/text.h"

namespace kestro::test {
namespace {

using nlohmann::json;

constexpr std::string_view kSelect = "SELECT ";
constexpr std::string_view kFrom = " FROM ";
constexpr std::string_view kWhere = " WHERE ";
constexpr std::string_view kAssociatorsOf = "ASSOCIATORS OF {";
constexpr std::string_view kResultClass = "} WHERE ResultClass = ";

// The old keys of a recording, each one class's answer with its properties in the order the
// recording lists the values.
struct RecordedQuery {
  const char* key;
  std::string_view wmi_namespace;
  const char* class_name;
  std::vector<std::string> properties;
  const char* condition = "";
};

const std::vector<RecordedQuery>& recorded_queries() {
  static const std::vector<RecordedQuery> queries = {
      {"computer", kCimv2, "Win32_ComputerSystem",
       {"Manufacturer", "Model", "TotalPhysicalMemory", "PCSystemType"}},
      {"board", kCimv2, "Win32_BaseBoard", {"Manufacturer", "Product"}},
      {"bios", kCimv2, "Win32_BIOS", {"SMBIOSBIOSVersion", "ReleaseDate", "Manufacturer"}},
      {"product", kCimv2, "Win32_ComputerSystemProduct", {"Version"}},
      {"os", kCimv2, "Win32_OperatingSystem",
       {"Caption", "Version", "BuildNumber", "OSArchitecture", "InstallDate"}},
      {"license", kCimv2, "SoftwareLicensingProduct", {"LicenseStatus"},
       "ApplicationID='55c92734-d682-4d71-983e-d6ec3f16059f' AND PartialProductKey IS NOT NULL"},
      {"cpu", kCimv2, "Win32_Processor",
       {"Name", "NumberOfCores", "NumberOfLogicalProcessors", "MaxClockSpeed", "L3CacheSize"}},
      {"memory", kCimv2, "Win32_PhysicalMemory",
       {"Capacity", "ConfiguredClockSpeed", "Speed", "Manufacturer", "PartNumber",
        "DeviceLocator", "SMBIOSMemoryType"}},
      {"arrays", kCimv2, "Win32_PhysicalMemoryArray", {"MemoryDevices"}},
      {"video", kCimv2, "Win32_VideoController", {"Name", "DriverVersion", "DriverDate"}},
      {"disks", kStorage, "MSFT_PhysicalDisk",
       {"DeviceId", "FriendlyName", "MediaType", "BusType", "Size", "HealthStatus", "__PATH"}},
  };
  return queries;
}
// A recording's reliability rows may stop after PowerOnHours: the error counts are then absent.
const std::vector<std::string> kReliabilityProperties = {
    "Temperature", "Wear", "PowerOnHours", "ReadErrorsUncorrected", "WriteErrorsUncorrected"};
const std::vector<std::string> kPartitionProperties = {"DiskNumber", "DriveLetter"};

// A recorded text is the text before the adapter trims it; make_value trims it as the adapter
// does.
wmi::WmiValue recorded_value(const json& value) {
  return wmi::make_value(value.is_null() ? std::nullopt : std::optional(value.get<std::string>()));
}

// "ok" false: the query failed; "complete" false: it broke off after its rows.
wmi::WmiResult positional_rows(const json& recorded) {
  if (!recorded.at("ok").get<bool>()) return std::nullopt;
  wmi::WmiRows rows;
  for (const json& object : recorded.at("rows")) {
    wmi::WmiRow& row = rows.emplace_back();
    for (const json& v : object) row.push_back(recorded_value(v));
  }
  rows.complete = recorded.value("complete", true);
  return rows;
}

std::optional<std::string> optional_text(const json& value) {
  return value.is_null() ? std::nullopt : std::optional(value.get<std::string>());
}

probe::RegistryHive hive_of(std::string_view name) {
  if (name == "HKLM") return probe::RegistryHive::LocalMachine;
  if (name == "HKCU") return probe::RegistryHive::CurrentUser;
  throw std::invalid_argument("unknown hive " + std::string(name));
}

// The generic form: {"namespace", "class", "where" or "associators_of", "ok", "complete",
// "objects": [{"Property": "text" or null}]}.
WmiAnswer named_answer(const json& recorded) {
  WmiAnswer answer;
  answer.wmi_namespace = recorded.at("namespace").get<std::string>();
  answer.class_name = recorded.at("class").get<std::string>();
  if (recorded.contains("associators_of")) {
    answer.associators = true;
    answer.condition = recorded.at("associators_of").get<std::string>();
  } else {
    answer.condition = recorded.value("where", std::string());
  }
  answer.ok = recorded.value("ok", true);
  answer.complete = recorded.value("complete", true);
  for (const json& object : recorded.value("objects", json::array())) {
    WmiObject& kept = answer.objects.emplace_back();
    for (const auto& [name, value] : object.items()) kept.emplace_back(name, recorded_value(value));
  }
  return answer;
}

const char* hive_name(probe::RegistryHive hive) {
  return hive == probe::RegistryHive::CurrentUser ? "HKCU" : "HKLM";
}

class RecordedSession final : public wmi::WmiSession {
 public:
  RecordedSession(RecordedMachine& machine, std::string wmi_namespace)
      : machine_(machine), namespace_(std::move(wmi_namespace)) {}
  wmi::WmiResult query_text(std::string_view wql, wmi::PropertyList properties) override {
    return machine_.answer_query(namespace_, wql, properties);
  }

 private:
  RecordedMachine& machine_;
  std::string namespace_;
};

std::vector<std::string> split_properties(std::string_view list) {
  std::vector<std::string> properties;
  for (;;) {
    const std::size_t comma = list.find(", ");
    properties.emplace_back(list.substr(0, comma));
    if (comma == std::string_view::npos) return properties;
    list.remove_prefix(comma + 2);
  }
}

}  // namespace

std::optional<WqlRequest> parse_wql(std::string_view wql) {
  WqlRequest request;
  if (wql.starts_with(kAssociatorsOf)) {
    const std::size_t end = wql.find(kResultClass);
    if (end == std::string_view::npos) return std::nullopt;
    request.associators = true;
    request.condition = std::string(wql.substr(kAssociatorsOf.size(), end - kAssociatorsOf.size()));
    request.class_name = std::string(wql.substr(end + kResultClass.size()));
  } else {
    if (!wql.starts_with(kSelect)) return std::nullopt;
    wql.remove_prefix(kSelect.size());
    const std::size_t from = wql.find(kFrom);
    if (from == std::string_view::npos) return std::nullopt;
    request.properties = split_properties(wql.substr(0, from));
    wql.remove_prefix(from + kFrom.size());
    const std::size_t where = wql.find(kWhere);
    request.class_name = std::string(wql.substr(0, where));
    if (where != std::string_view::npos) request.condition = std::string(wql.substr(where + kWhere.size()));
  }
  if (request.class_name.empty() || request.class_name.find(' ') != std::string::npos) {
    return std::nullopt;
  }
  return request;
}

RecordedMachine RecordedMachine::from_json(std::string_view text) {
  const json m = json::parse(text);
  RecordedMachine machine;
  machine.admin = m.at("is_admin");
  machine.uptime_ms = m.at("tick0");
  if (m.at("cimv2")) {
    machine.namespaces.emplace_back(kCimv2);
    for (const RecordedQuery& query : recorded_queries()) {
      // No key: a failed query.
      if (query.wmi_namespace == kCimv2 && m.contains(query.key)) {
        machine.record(kCimv2, query.class_name, query.properties, positional_rows(m[query.key]),
                       query.condition);
      }
    }
  }
  if (m.at("storage_ns")) {
    machine.namespaces.emplace_back(kStorage);
    machine.record(kStorage, "MSFT_PhysicalDisk", recorded_queries().back().properties,
                   positional_rows(m.at("disks")));
    if (m.contains("partitions")) {  // no key: the partition query fails
      machine.record(kStorage, "MSFT_Partition", kPartitionProperties,
                     positional_rows(m["partitions"]));
    }
    for (const auto& [path, counters] : m.at("reliability").items()) {
      machine.record_associators(kStorage, path, "MSFT_StorageReliabilityCounter",
                                 kReliabilityProperties, positional_rows(counters));
    }
  }
  for (const json& name : m.value("namespaces", json::array())) {
    machine.namespaces.push_back(name.get<std::string>());
  }
  for (const json& answer : m.value("wmi", json::array())) machine.wmi.push_back(named_answer(answer));

  constexpr std::string_view kCurrentVersion = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
  if (!m.at("display_version").is_null()) {
    machine.set_registry(probe::RegistryHive::LocalMachine, kCurrentVersion, "DisplayVersion",
                         m["display_version"].get<std::string>());
  }
  if (!m.at("ubr").is_null()) {
    machine.set_registry(probe::RegistryHive::LocalMachine, kCurrentVersion, "UBR",
                         m["ubr"].get<std::uint32_t>());
  }
  for (const json& value : m.value("registry", json::array())) {
    probe::RegistryValue stored;
    if (value.contains("dword")) {
      stored = value.at("dword").get<std::uint32_t>();
    } else {
      stored = value.at("text").get<std::string>();
    }
    machine.set_registry(hive_of(value.at("hive").get<std::string>()),
                         value.at("path").get<std::string>(), value.at("name").get<std::string>(),
                         std::move(stored));
  }

  for (const json& a : m.at("adapters")) {
    machine.adapters.push_back({a.at("name"), a.at("vram"), a.at("flags")});
  }
  machine.displays.emplace();
  for (const json& d : m.at("displays")) {  // each path with a source and a target mode
    const auto source = static_cast<std::uint32_t>(machine.displays->modes.size());
    machine.displays->paths.push_back({source, d.at("num"), d.at("den"), optional_text(d.at("name"))});
    machine.displays->modes.push_back({1, d.at("width"), d.at("height")});
    machine.displays->modes.push_back({2, 0, 0});
  }
  for (const json& d : m.at("drives")) {
    const char letter = d.at("letter").get<std::string>().at(0);
    machine.drive_mask |= 1u << (letter - 'A');
    machine.fixed[letter] = d.at("type") == 3;
    if (d.at("ok")) machine.spaces[letter] = {d.at("total"), d.at("free")};
  }
  for (const json& b : m.at("batteries")) {
    machine.battery_list.push_back(
        {b.at("name"), b.at("capabilities"), b.at("designed"), b.at("full"), b.at("cycles")});
  }
  if (const json& power = m.at("power"); power.at("ok")) {
    machine.power = {{power.at("ac"), power.at("percent")}};
  }
  // The Security card's reads; a recording without them has no answers to them.
  if (m.contains("firmware_type") && !m["firmware_type"].is_null()) machine.firmware = m["firmware_type"];
  if (m.contains("tpm")) machine.tpm_answer = {m["tpm"].at("result"), m["tpm"].value("version", 0u)};
  if (m.contains("cpuid")) {
    const json& cpu = m["cpuid"];
    const auto hex = [&cpu](const char* key) {
      return static_cast<std::uint32_t>(std::stoul(cpu.at(key).get<std::string>(), nullptr, 16));
    };
    machine.cpu_id = probe::CpuIdAnswer{cpu.at("vendor"), hex("eax"), hex("ecx")};
  }
  return machine;
}

std::vector<std::string> RecordedMachine::requests(std::string_view kind) const {
  std::vector<std::string> found;
  for (const std::string& request : log) {
    if (request.starts_with(kind)) found.push_back(request.substr(kind.size()));
  }
  return found;
}

std::size_t RecordedMachine::count(std::string_view request) const {
  return static_cast<std::size_t>(std::count(log.begin(), log.end(), request));
}

RecordedMachine& RecordedMachine::record(std::string_view wmi_namespace,
                                         std::string_view class_name,
                                         const std::vector<std::string>& properties,
                                         const wmi::WmiResult& rows, std::string_view condition) {
  if (std::find(namespaces.begin(), namespaces.end(), wmi_namespace) == namespaces.end()) {
    namespaces.emplace_back(wmi_namespace);
  }
  WmiAnswer* answer = find(wmi_namespace, class_name, condition);
  if (answer == nullptr) {
    answer = &wmi.emplace_back();
    answer->wmi_namespace = std::string(wmi_namespace);
    answer->class_name = std::string(class_name);
    answer->condition = std::string(condition);
  }
  answer->ok = rows.has_value();
  answer->complete = !rows || rows->complete;
  answer->objects.clear();
  if (rows) {
    for (const wmi::WmiRow& values : *rows) {
      WmiObject& object = answer->objects.emplace_back();
      for (std::size_t i = 0; i < values.size() && i < properties.size(); ++i) {
        object.emplace_back(properties[i], values[i]);
      }
    }
  }
  return *this;
}

RecordedMachine& RecordedMachine::record_objects(std::string_view wmi_namespace,
                                                 std::string_view class_name,
                                                 std::vector<WmiObject> objects,
                                                 std::string_view condition) {
  record(wmi_namespace, class_name, {}, wmi::WmiRows{}, condition);
  find(wmi_namespace, class_name, condition)->objects = std::move(objects);
  return *this;
}

RecordedMachine& RecordedMachine::record_associators(std::string_view wmi_namespace,
                                                     std::string_view path,
                                                     std::string_view class_name,
                                                     const std::vector<std::string>& properties,
                                                     const wmi::WmiResult& rows) {
  record(wmi_namespace, class_name, properties, rows, path);
  find(wmi_namespace, class_name, path)->associators = true;
  return *this;
}

WmiAnswer* RecordedMachine::find(std::string_view wmi_namespace, std::string_view class_name,
                                 std::string_view condition) {
  for (WmiAnswer& answer : wmi) {
    if (answer.wmi_namespace == wmi_namespace && answer.class_name == class_name &&
        answer.condition == condition) {
      return &answer;
    }
  }
  return nullptr;
}

void RecordedMachine::forget(std::string_view wmi_namespace, std::string_view class_name) {
  std::erase_if(wmi, [&](const WmiAnswer& answer) {
    return answer.wmi_namespace == wmi_namespace && answer.class_name == class_name;
  });
}

void RecordedMachine::set_registry(probe::RegistryHive hive, std::string_view path,
                                   std::string_view name, probe::RegistryValue value) {
  for (RegistryEntry& entry : registry) {
    if (entry.hive == hive && equals_ignoring_ascii_case(entry.path, path) &&
        equals_ignoring_ascii_case(entry.name, name)) {
      entry.value = std::move(value);
      return;
    }
  }
  registry.push_back({hive, std::string(path), std::string(name), std::move(value)});
}

wmi::WmiResult RecordedMachine::answer_query(std::string_view wmi_namespace, std::string_view wql,
                                             wmi::PropertyList properties) {
  log.push_back("query " + std::string(wql));
  const std::optional<WqlRequest> request = parse_wql(wql);
  // A SELECT whose list is not the properties read is not a text the adapter would send.
  const WmiAnswer* answer =
      !request || (!request->associators &&
                   !std::equal(request->properties.begin(), request->properties.end(),
                               properties.begin(), properties.end()))
          ? nullptr
          : find(wmi_namespace, request->class_name, request->condition);
  if (answer == nullptr || answer->associators != request->associators) {
    unanswered.push_back(log.back());
    return std::nullopt;
  }
  if (!answer->ok) return std::nullopt;
  wmi::WmiRows rows;
  for (const WmiObject& object : answer->objects) {
    wmi::WmiRow& row = rows.emplace_back();
    for (const std::string_view property : properties) {
      const auto found = std::find_if(object.begin(), object.end(),
                                      [&](const auto& named) { return named.first == property; });
      row.push_back(found == object.end() ? wmi::WmiValue() : found->second);
    }
  }
  // Cut short before any object, the enumeration fails as a whole.
  if (!answer->complete && rows.empty()) return std::nullopt;
  rows.complete = answer->complete;
  return rows;
}

std::unique_ptr<wmi::WmiSession> RecordedMachine::connect(std::string_view wmi_namespace) {
  log.push_back("connect " + std::string(wmi_namespace));
  if (std::find(namespaces.begin(), namespaces.end(), wmi_namespace) == namespaces.end()) {
    return nullptr;
  }
  return std::make_unique<RecordedSession>(*this, std::string(wmi_namespace));
}

std::optional<probe::RegistryValue> RecordedMachine::registry_value(probe::RegistryHive hive,
                                                                    std::string_view path,
                                                                    std::string_view name) {
  log.push_back("registry " + std::string(hive_name(hive)) + "\\" + std::string(path) + "\\" +
                std::string(name));
  for (const RegistryEntry& entry : registry) {
    if (entry.hive == hive && equals_ignoring_ascii_case(entry.path, path) &&
        equals_ignoring_ascii_case(entry.name, name)) {
      return entry.value;
    }
  }
  unanswered.push_back(log.back());
  return std::nullopt;
}

bool RecordedMachine::is_fixed_drive(char letter) {
  const auto found = fixed.find(letter);
  return logged("is_fixed_drive " + std::string(1, letter), found != fixed.end() && found->second);
}

std::optional<probe::DriveSpace> RecordedMachine::drive_space(char letter) {
  const auto found = spaces.find(letter);
  return logged("drive_space " + std::string(1, letter),
                found == spaces.end() ? std::nullopt : std::optional(found->second));
}

}  // namespace kestro::test
