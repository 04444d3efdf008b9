#include "probe/windows_section.h"

#include <array>
#include <variant>

#include "base/text.h"
#include "i18n/translate.h"
#include "probe/format.h"
#include "probe/row_values.h"

namespace kestro::probe {
namespace {

// The feature version and update revision under HKLM\SOFTWARE\Microsoft\Windows NT\
// CurrentVersion.
struct VersionValues {
  std::string display_version;        // `DisplayVersion`, empty when missing (not trimmed)
  std::optional<std::uint32_t> ubr;   // `UBR`, absent when missing
};

constexpr std::array<std::string_view, 5> kOsProperties = {
    "Caption", "Version", "BuildNumber", "OSArchitecture", "InstallDate"};
constexpr std::array<std::string_view, 1> kLicensingProperties = {"LicenseStatus"};
// The Windows application's licences that carry a product key.
constexpr std::string_view kLicensingCondition =
    "ApplicationID='55c92734-d682-4d71-983e-d6ec3f16059f' AND PartialProductKey IS NOT NULL";
constexpr std::uint64_t kLicensed = 1;
constexpr std::string_view kCurrentVersionKey = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";

// The caption without every leading "Microsoft ".
// true: some licence is in the licensed state; false: statuses were read but none is;
// nullopt: no readable status (failed query, an answer cut short, no rows, or no parsable
// LicenseStatus).
std::optional<bool> activation_state(const wmi::WmiResult& licensing) {
  // "Not activated" is a claim about every licence: an answer cut short cannot make it, and
  // any answer that may be missing rows says nothing at all, as a failed query does.
  if (!licensing || !licensing->complete) return std::nullopt;
  std::optional<bool> activated;
  for (const wmi::WmiRow& row : *licensing) {
    const std::optional<std::uint64_t> status = number_at(row, 0);
    if (!status) continue;
    activated = activated.value_or(false) || *status == kLicensed;
  }
  return activated;
}

// The registry values; a value of the wrong type counts as missing.
VersionValues read_version_values(ProbePlatform& platform) {
  VersionValues values;
  const std::optional<RegistryValue> display_version =
      platform.registry_value(RegistryHive::LocalMachine, kCurrentVersionKey, "DisplayVersion");
  if (display_version && std::holds_alternative<std::string>(*display_version)) {
    values.display_version = std::get<std::string>(*display_version);
  }
  const std::optional<RegistryValue> ubr =
      platform.registry_value(RegistryHive::LocalMachine, kCurrentVersionKey, "UBR");
  if (ubr && std::holds_alternative<std::uint32_t>(*ubr)) values.ubr = std::get<std::uint32_t>(*ubr);
  return values;
}

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

// `os` is the Win32_OperatingSystem result (Caption, Version, BuildNumber, OSArchitecture,
// InstallDate), `licensing` the LicenseStatus rows.
WindowsFacts windows_facts(const wmi::WmiResult& os, const VersionValues& version,
                           const wmi::WmiResult& licensing) {
  WindowsFacts facts;
  if (os && !os->empty()) {
    const wmi::WmiRow& row = os->front();
    facts.os = OsFacts{edition_name(text_at(row, 0)), std::string(text_at(row, 2)),
                       std::string(text_at(row, 3)), cim_day(value_at(row, 4))};
  }
  facts.display_version = version.display_version;
  facts.ubr = version.ubr;
  facts.activated = activation_state(licensing);
  return facts;
}

}  // namespace

WindowsFacts read_windows(wmi::WmiSession* cimv2, ProbePlatform& platform) {
  const wmi::WmiResult os = query_on(cimv2, "Win32_OperatingSystem", kOsProperties);
  // The registry is read on every run, WMI or not.
  const VersionValues version = read_version_values(platform);
  const wmi::WmiResult licensing =
      query_on(cimv2, "SoftwareLicensingProduct", kLicensingProperties, kLicensingCondition);
  return windows_facts(os, version, licensing);
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
  return rows;
}

Json windows_json(const WindowsFacts& facts) {
  Json windows = Json::object();
  if (facts.os) {
    put_text(windows, "edition", facts.os->edition);
    put_text(windows, "display_version", facts.display_version);
    put_number(windows, "build", build_number(facts.os->build));
    if (facts.ubr) windows["ubr"] = *facts.ubr;
    put_text(windows, "architecture", facts.os->architecture);
    put_date(windows, "installed_on", facts.os->installed_on);
  }
  if (facts.activated) windows["activated"] = *facts.activated;
  return windows;
}

}  // namespace kestro::probe
