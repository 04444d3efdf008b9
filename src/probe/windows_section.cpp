#include "probe/windows_section.h"

#include <array>

#include "base/text.h"
#include "i18n/translate.h"
#include "probe/format.h"
#include "probe/row_values.h"

namespace kestro::probe {
namespace {

constexpr std::array<std::string_view, 5> kOsProperties = {
    "Caption", "Version", "BuildNumber", "OSArchitecture", "InstallDate"};
constexpr std::array<std::string_view, 1> kLicensingProperties = {"LicenseStatus"};
// The Windows application's licences that carry a product key.
constexpr std::string_view kLicensingCondition =
    "ApplicationID='55c92734-d682-4d71-983e-d6ec3f16059f' AND PartialProductKey IS NOT NULL";
constexpr std::uint64_t kLicensed = 1;
constexpr std::string_view kCurrentVersionKey = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";

// true: some licence read is in the licensed state; false: a complete answer's statuses were
// read and none is; nullopt: anything else (failed query, no rows, no parsable LicenseStatus,
// or only unlicensed rows of an answer cut short).
std::optional<bool> activation_state(const wmi::WmiResult& licensing) {
  if (!licensing) return std::nullopt;
  bool read = false;
  for (const wmi::WmiRow& row : *licensing) {
    const std::optional<std::uint64_t> status = number_at(row, 0);
    if (!status) continue;
    // One licensed row proves it, whatever rows an answer cut short may have lost.
    if (*status == kLicensed) return true;
    read = true;
  }
  // "Not activated" is a claim about every licence: only a complete answer can make it.
  if (!read || !licensing->complete) return std::nullopt;
  return false;
}

// The registry's values; a value of the wrong type counts as missing.
void read_version_values(ProbePlatform& platform, WindowsFacts& facts) {
  constexpr RegistryHive kMachine = RegistryHive::LocalMachine;
  facts.display_version =
      platform.registry_text(kMachine, kCurrentVersionKey, "DisplayVersion").value_or("");
  facts.ubr = platform.registry_number(kMachine, kCurrentVersionKey, "UBR");
  facts.edition_id = platform.registry_text(kMachine, kCurrentVersionKey, "EditionID").value_or("");
  facts.installation_type =
      platform.registry_text(kMachine, kCurrentVersionKey, "InstallationType").value_or("");
}

// The caption without every leading "Microsoft ".
std::string edition_name(std::string_view caption) {
  constexpr std::string_view kPrefix = "Microsoft ";
  while (caption.starts_with(kPrefix)) caption.remove_prefix(kPrefix.size());
  return std::string(caption);
}

// The build text's number when it is written in digits alone.
std::optional<std::uint64_t> build_number(std::string_view build) {
  if (build.empty() || build.front() < '0' || build.front() > '9') return std::nullopt;
  return parse_unsigned(build);
}

// The first row of the Win32_OperatingSystem result (Caption, Version, BuildNumber,
// OSArchitecture, InstallDate); nothing without a row.
std::optional<OsFacts> os_facts(const wmi::WmiResult& os) {
  if (!os || os->empty()) return std::nullopt;
  const wmi::WmiRow& row = os->front();
  const std::string_view build = text_at(row, 2);
  return OsFacts{edition_name(text_at(row, 0)), std::string(build), build_number(build),
                 std::string(text_at(row, 3)), cim_day(value_at(row, 4))};
}

}  // namespace

WindowsFacts read_windows(wmi::WmiSession* cimv2, ProbePlatform& platform) {
  WindowsFacts facts;
  facts.os = os_facts(query_on(cimv2, "Win32_OperatingSystem", kOsProperties));
  // The registry is read on every run, WMI or not.
  read_version_values(platform, facts);
  facts.today = platform.local_date();
  facts.activated =
      activation_state(query_on(cimv2, "SoftwareLicensingProduct", kLicensingProperties, kLicensingCondition));
  return facts;
}

bool is_client(const WindowsFacts& facts) { return facts.installation_type == "Client"; }

std::optional<SecurityUpdates> security_updates_of(const WindowsFacts& facts) {
  if (!facts.os) return std::nullopt;
  return security_updates(
      {facts.os->build_number, facts.ubr, facts.edition_id, facts.installation_type}, facts.today);
}

std::string windows_subtitle(const WindowsFacts& facts) {
  if (!facts.os) return {};
  return std::string(trim(facts.os->edition + " " + facts.display_version));
}

std::vector<Row> windows_rows(const WindowsFacts& facts) {
  std::vector<Row> rows;
  if (facts.os) {
    const OsFacts& os = *facts.os;
    std::string build = os.build;
    if (facts.ubr) build += fill_template(".{0}", {decimal(*facts.ubr)});
    const std::string& feature = facts.display_version;
    // Put together piece by piece: registry and WMI texts may themselves contain "{1}".
    std::string version_text = build;
    if (!feature.empty()) {
      version_text = feature + " (" + std::string(translate(kBuildWord)) + " " + build + ")";
    }
    rows.push_back(Row::plain(std::string(translate(kEditionLabel)), os.edition));
    rows.push_back(Row::plain(std::string(translate(kVersionLabel)), version_text));
    rows.push_back(Row::plain(std::string(translate(kTypeLabel)), os.architecture));
    if (os.installed_on) {
      rows.push_back(Row::plain(std::string(translate(kInstalledOnLabel)),
                                date_text(*os.installed_on)));
    }
  }
  if (facts.activated) {
    const std::string label(translate(kActivationLabel));
    if (*facts.activated) {
      rows.push_back(
          Row::status(label, std::string(translate(kActivated)), Tone::Good));
    } else {
      rows.push_back(Row::status(
          label, std::string(translate(kNotActivated)), Tone::Warning));
    }
  }
  if (const std::optional<SecurityUpdates> updates = security_updates_of(facts)) {
    const std::string label(translate(kSecurityUpdatesLabel));
    switch (updates->state) {
      case UpdatesState::Supported:
        rows.push_back(Row::plain(label, fill_template(translate(kUpdatesUntil), {date_text(*updates->until)})));
        break;
      case UpdatesState::Ended:
        rows.push_back(Row::status(
            label,
            updates->until ? fill_template(translate(kUpdatesEndedOn), {date_text(*updates->until)})
                           : std::string(translate(kUpdatesEnded)),
            Tone::Warning));
        break;
      case UpdatesState::Extended:
        rows.push_back(Row::plain(label, std::string(translate(kExtendedUpdates))));
        break;
    }
  }
  return rows;
}

Json windows_json(const WindowsFacts& facts) {
  Json windows = Json::object();
  if (facts.os) {
    put_text(windows, "edition", facts.os->edition);
    put_text(windows, "display_version", facts.display_version);
    put_number(windows, "build", facts.os->build_number);
    if (facts.ubr) windows["ubr"] = *facts.ubr;
    put_text(windows, "architecture", facts.os->architecture);
    put_date(windows, "installed_on", facts.os->installed_on);
  }
  if (facts.activated) windows["activated"] = *facts.activated;
  if (const std::optional<SecurityUpdates> updates = security_updates_of(facts)) {
    Json& object = windows["security_updates"] = Json::object();
    object["state"] = updates->state == UpdatesState::Supported ? "supported"
                      : updates->state == UpdatesState::Ended   ? "ended"
                                                                : "extended";
    put_date(object, "until", updates->until);
  }
  return windows;
}

}  // namespace kestro::probe
