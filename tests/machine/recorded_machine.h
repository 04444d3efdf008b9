#pragma once
// One recorded PC for every probe test, the fuzzer and the benchmarks: what each platform read
// of a run answers, kept as data. A WMI query is answered by the namespace, class and
// condition parsed from the WQL the probe sends, each recorded object keeping its properties
// by name; a registry read by hive, path and name; every device read from its own field. It
// writes down every request in order, so tests can check what a run sends.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "probe/platform.h"
#include "wmi/wmi.h"

namespace kestro::test {

inline constexpr std::string_view kCimv2 = "ROOT\\CIMV2";
inline constexpr std::string_view kStorage = "ROOT\\Microsoft\\Windows\\Storage";

// One object: its properties by name, in recorded order. An absent value is a property WMI
// gave no text for.
using WmiObject = std::vector<std::pair<std::string, wmi::WmiValue>>;

// The recorded answer to the queries of one class in one namespace.
struct WmiAnswer {
  std::string wmi_namespace;
  std::string class_name;
  // The text after WHERE of "SELECT ... FROM Class WHERE condition", or the object path of
  // "ASSOCIATORS OF {path} WHERE ResultClass = Class"; empty for a query without either.
  std::string condition;
  bool associators = false;
  bool ok = true;        // false: the query fails before any object
  bool complete = true;  // false: the objects, then a failed call for the next one
  std::vector<WmiObject> objects;
};

struct RegistryEntry {
  probe::RegistryHive hive = probe::RegistryHive::LocalMachine;
  std::string path;  // without a leading backslash; compared ignoring ASCII case, as is the name
  std::string name;
  probe::RegistryValue value;
};

// The parts of a WQL text the machine answers by; nothing for a text of another form.
struct WqlRequest {
  std::string class_name;
  std::vector<std::string> properties;  // empty for ASSOCIATORS OF
  std::string condition;
  bool associators = false;
};
std::optional<WqlRequest> parse_wql(std::string_view wql);

class RecordedMachine final : public probe::ProbePlatform {
 public:
  // A machine in the form of tests/machines/*.json: the recorded texts before the adapter
  // trims them (this trims them as the adapter does). Throws nlohmann::json's exceptions on a
  // text that is not a recording. Beyond the documented keys: "partitions" answers the
  // MSFT_Partition query (DiskNumber, DriveLetter; no key: it fails), and a reliability row may
  // go on after PowerOnHours with ReadErrorsUncorrected and WriteErrorsUncorrected.
  static RecordedMachine from_json(std::string_view json);

  std::vector<std::string> namespaces;  // those that connect
  std::vector<WmiAnswer> wmi;           // a query without an answer fails
  std::vector<RegistryEntry> registry;
  bool admin = false;
  std::uint64_t uptime_ms = 0;
  std::optional<probe::Date> today;  // nothing: the clock gives no date
  std::vector<probe::GraphicsAdapter> adapters;
  std::optional<probe::DisplayConfig> displays;  // nullopt: the configuration query fails
  std::uint32_t drive_mask = 0;
  std::map<char, bool> fixed;
  std::map<char, probe::DriveSpace> spaces;  // a letter without space: the query fails
  std::vector<probe::BatteryInfo> battery_list;
  std::optional<probe::PowerStatus> power;
  probe::FirmwareTypeAnswer firmware;           // nothing: the system has no answer
  probe::TpmAnswer tpm_answer;                  // by default not asked (unknown)
  std::optional<probe::CpuIdAnswer> cpu_id;     // nothing: CPUID does not answer

  // Every request, in order: "is_admin", "uptime", "connect <namespace>", "query <WQL>",
  // "registry <HKLM|HKCU>\<path>\<name>", "graphics_adapters", "display_config",
  // "logical_drive_mask", "is_fixed_drive C", "drive_space C", "batteries", "power_status",
  // "firmware_type", "tpm", "cpuid".
  std::vector<std::string> log;
  // The requests of `log` that nothing recorded answers (a query or registry value it does not
  // hold); reads that are not WMI or the registry always have an answer, "nothing" included.
  std::vector<std::string> unanswered;
  std::vector<std::string> sent() const { return requests("query "); }  // every session's WQL
  std::vector<std::string> connected() const { return requests("connect "); }  // namespaces
  std::size_t count(std::string_view request) const;
  std::vector<std::string> requests(std::string_view kind) const;  // after "kind", in order

  // Records positional rows as objects: value i of a row is property i's, a row shorter than
  // `properties` lacks the rest. A failed result makes the query fail; an incomplete one is
  // cut short after its rows. The namespace then connects.
  RecordedMachine& record(std::string_view wmi_namespace, std::string_view class_name,
                          const std::vector<std::string>& properties, const wmi::WmiResult& rows,
                          std::string_view condition = {});
  // Records objects by name, as a recording's generic form does.
  RecordedMachine& record_objects(std::string_view wmi_namespace, std::string_view class_name,
                                  std::vector<WmiObject> objects, std::string_view condition = {});
  // The same as record() for "ASSOCIATORS OF {path} WHERE ResultClass = class_name".
  RecordedMachine& record_associators(std::string_view wmi_namespace, std::string_view path,
                                      std::string_view class_name,
                                      const std::vector<std::string>& properties,
                                      const wmi::WmiResult& rows);
  // The answer for a namespace, class and condition; null when none is recorded.
  WmiAnswer* find(std::string_view wmi_namespace, std::string_view class_name,
                  std::string_view condition = {});
  // Drops the answers of a class: its queries then fail.
  void forget(std::string_view wmi_namespace, std::string_view class_name);
  void set_registry(probe::RegistryHive hive, std::string_view path, std::string_view name,
                    probe::RegistryValue value);

  // ProbePlatform
  bool is_admin() override { return logged("is_admin", admin); }
  std::uint64_t milliseconds_since_boot() override { return logged("uptime", uptime_ms); }
  std::optional<probe::Date> local_date() override { return logged("local_date", today); }
  std::unique_ptr<wmi::WmiSession> connect(std::string_view wmi_namespace) override;
  std::optional<probe::RegistryValue> registry_value(probe::RegistryHive hive,
                                                     std::string_view path,
                                                     std::string_view name) override;
  std::vector<probe::GraphicsAdapter> graphics_adapters() override {
    return logged("graphics_adapters", adapters);
  }
  std::optional<probe::DisplayConfig> display_config() override {
    return logged("display_config", displays);
  }
  std::uint32_t logical_drive_mask() override { return logged("logical_drive_mask", drive_mask); }
  bool is_fixed_drive(char letter) override;
  std::optional<probe::DriveSpace> drive_space(char letter) override;
  std::vector<probe::BatteryInfo> batteries() override { return logged("batteries", battery_list); }
  std::optional<probe::PowerStatus> power_status() override { return logged("power_status", power); }
  probe::FirmwareTypeAnswer firmware_type() override { return logged("firmware_type", firmware); }
  probe::TpmAnswer tpm() override { return logged("tpm", tpm_answer); }
  std::optional<probe::CpuIdAnswer> cpuid() override { return logged("cpuid", cpu_id); }

  // The rows a query on `wmi_namespace` gets, as the COM adapter would deliver them.
  wmi::WmiResult answer_query(std::string_view wmi_namespace, std::string_view wql,
                              wmi::PropertyList properties);

 private:
  template <class T>
  T logged(std::string request, const T& answer) {
    log.push_back(std::move(request));
    return answer;
  }
};

// Shorthand for positional rows: {"a", std::nullopt, "  b "}.
inline wmi::WmiRow row(std::initializer_list<wmi::WmiValue> values) { return wmi::WmiRow(values); }

// Rows whose enumeration broke off after them.
inline wmi::WmiRows cut_short(wmi::WmiRows rows) {
  rows.complete = false;
  return rows;
}

}  // namespace kestro::test
