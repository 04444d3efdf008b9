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

// The caption without every leading "Microsoft ".
std::string edition_name(std::string_view caption) {
  constexpr std::string_view kPrefix = "Microsoft ";
  while (caption.starts_with(kPrefix)) caption.remove_prefix(kPrefix.size());
  return std::string(caption);
}

}  // namespace

std::optional<bool> activation_state(const wmi::WmiResult& licensing) {
  if (!licensing) return std::nullopt;
  std::optional<bool> activated;
  for (const wmi::WmiRow& row : *licensing) {
    const std::optional<std::uint64_t> status = number_at(row, 0);
    if (!status) continue;
    activated = activated.value_or(false) || *status == kLicensed;
  }
  return activated;
}

WindowsOutput windows_section(const wmi::WmiResult& os, const VersionValues& version,
                              const wmi::WmiResult& licensing) {
  WindowsOutput out;
  if (os && !os->empty()) {
    const wmi::WmiRow& row = os->front();
    const std::string edition = edition_name(value_at(row, 0).value_or(std::string()));
    std::string build = value_at(row, 2).value_or(std::string());
    if (version.ubr) build += fill_template(".{0}", {decimal(*version.ubr)});
    const std::string& feature = version.display_version;
    // Put together piece by piece: registry and WMI texts may themselves contain "{1}".
    std::string version_text = build;
    if (!feature.empty()) {
      version_text = feature + " (" + std::string(translate({"빌드", "build"})) + " " + build + ")";
    }
    out.subtitle = std::string(trim(edition + " " + feature));

    out.rows.push_back(Row::plain(std::string(translate({"이름", "Name"})), edition));
    out.rows.push_back(Row::plain(std::string(translate({"버전", "Version"})), version_text));
    out.rows.push_back(Row::plain(std::string(translate({"종류", "Type"})),
                                  value_at(row, 3).value_or(std::string())));
    if (const auto installed = wmi::cim_date(value_at(row, 4))) {
      out.rows.push_back(
          Row::plain(std::string(translate({"설치한 날", "Installed on"})), *installed));
    }
  }
  if (const std::optional<bool> activated = activation_state(licensing)) {
    const std::string label(translate({"정품 인증", "Activation"}));
    if (*activated) {
      out.rows.push_back(
          Row::status(label, std::string(translate({"정품 인증됨", "Activated"})), Tone::Good));
    } else {
      out.rows.push_back(Row::status(
          label, std::string(translate({"인증되지 않음", "Not activated"})), Tone::Warning));
    }
  }
  return out;
}

WindowsOutput probe_windows(wmi::WmiSession* cimv2, ProbePlatform& platform) {
  const wmi::WmiResult os = query_on(cimv2, "Win32_OperatingSystem", kOsProperties);
  // The registry is read on every run, WMI or not.
  const VersionValues version = platform.windows_version_values();
  const wmi::WmiResult licensing =
      query_on(cimv2, "SoftwareLicensingProduct", kLicensingProperties, kLicensingCondition);
  return windows_section(os, version, licensing);
}

}  // namespace kestro::probe
