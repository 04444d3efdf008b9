#include "probe/security_updates.h"

#include <array>

namespace kestro::probe {
namespace {

enum class EditionClass : std::uint8_t { HomePro, EnterpriseEducation, Ltsc, IotLtsc };

struct EditionName {
  std::string_view edition_id;
  EditionClass edition_class;
};

constexpr auto kEditions = std::to_array<EditionName>({
    {"Core", EditionClass::HomePro},
    {"CoreN", EditionClass::HomePro},
    {"CoreSingleLanguage", EditionClass::HomePro},
    {"CoreCountrySpecific", EditionClass::HomePro},
    {"Professional", EditionClass::HomePro},
    {"ProfessionalN", EditionClass::HomePro},
    {"ProfessionalWorkstation", EditionClass::HomePro},
    {"ProfessionalWorkstationN", EditionClass::HomePro},
    {"ProfessionalEducation", EditionClass::HomePro},
    {"ProfessionalEducationN", EditionClass::HomePro},
    {"Enterprise", EditionClass::EnterpriseEducation},
    {"EnterpriseN", EditionClass::EnterpriseEducation},
    {"Education", EditionClass::EnterpriseEducation},
    {"EducationN", EditionClass::EnterpriseEducation},
    {"IoTEnterprise", EditionClass::EnterpriseEducation},
    {"EnterpriseS", EditionClass::Ltsc},
    {"EnterpriseSN", EditionClass::Ltsc},
    {"IoTEnterpriseS", EditionClass::IotLtsc},
});

// The last day of service of one edition class: a date, "ended" long ago (no date kept), or
// no such edition of that build.
struct Service {
  enum Kind : std::uint8_t { Until, LongEnded, NoSuchEdition } kind;
  Date last_day;
};
constexpr Service until(std::uint16_t year, std::uint8_t month, std::uint8_t day) {
  return {Service::Until, {year, month, day}};
}
constexpr Service kLongEnded{Service::LongEnded, {}};
constexpr Service kNone{Service::NoSuchEdition, {}};

struct BuildService {
  std::uint64_t build;
  std::array<Service, 4> by_class;  // Home/Pro, Enterprise/Education, LTSC, IoT LTSC
};

// From Microsoft's lifecycle pages (learn.microsoft.com/lifecycle/products: "Windows 10 Home
// and Pro", "Windows 10 Enterprise and Education", "Windows 11 Home and Pro", "Windows 11
// Enterprise and Education", the LTSC and IoT Enterprise LTSC editions) and the Windows
// release information. Every date is a second Tuesday of its month, the last update day. A
// release of Kestro learns a new version here and nowhere else.
constexpr auto kLifecycle = std::to_array<BuildService>({
    {10240, {kLongEnded, kLongEnded, until(2025, 10, 14), until(2025, 10, 14)}},   // 2015 LTSB
    {14393, {kLongEnded, kLongEnded, until(2026, 10, 13), until(2026, 10, 13)}},   // 2016 LTSB
    {17763, {kLongEnded, kLongEnded, until(2029, 1, 9), until(2029, 1, 9)}},       // LTSC 2019
    {19044, {until(2023, 6, 13), until(2024, 6, 11), until(2027, 1, 12), until(2032, 1, 13)}},  // 21H2
    {19045, {until(2025, 10, 14), until(2025, 10, 14), kNone, kNone}},             // 22H2
    {22000, {until(2023, 10, 10), until(2024, 10, 8), kNone, kNone}},              // 11 21H2
    {22621, {until(2024, 10, 8), until(2025, 10, 14), kNone, kNone}},              // 11 22H2
    {22631, {until(2025, 11, 11), until(2026, 11, 10), kNone, kNone}},             // 11 23H2
    {26100, {until(2026, 10, 13), until(2027, 10, 12), until(2029, 10, 9), until(2034, 10, 10)}},  // 11 24H2
    {26200, {until(2027, 10, 12), until(2028, 10, 10), kNone, kNone}},             // 11 25H2
});

// Windows 10 22H2's first update given only to PCs in Extended Security Updates: KB5068781 of
// 2025-11-11 (19045.6575); the last one for every PC was that of 2025-10-14 (19045.6456).
constexpr std::uint64_t kWindows10LastBuild = 19045;
constexpr std::uint32_t kFirstExtendedUpdate = 6575;
// The oldest build with dates of its own for every edition class.
constexpr std::uint64_t kFirstRecordedBuild = 19044;

std::optional<EditionClass> edition_class(std::string_view edition_id) {
  for (const EditionName& edition : kEditions) {
    if (edition.edition_id == edition_id) return edition.edition_class;
  }
  return std::nullopt;
}

const BuildService* build_service(std::uint64_t build) {
  for (const BuildService& entry : kLifecycle) {
    if (entry.build == build) return &entry;
  }
  return nullptr;
}

}  // namespace

std::optional<SecurityUpdates> security_updates(const InstalledWindows& windows,
                                                std::optional<Date> today) {
  if (windows.installation_type != "Client" || !windows.build || !today) return std::nullopt;
  const std::optional<EditionClass> edition = edition_class(windows.edition_id);
  if (!edition) return std::nullopt;
  const std::uint64_t build = *windows.build;
  const bool long_term = edition == EditionClass::Ltsc || edition == EditionClass::IotLtsc;

  if (build == kWindows10LastBuild && !long_term && windows.ubr >= kFirstExtendedUpdate) {
    return SecurityUpdates{UpdatesState::Extended, std::nullopt};
  }
  const BuildService* entry = build_service(build);
  if (entry == nullptr) {
    // Windows 10's semi-annual releases before 21H2 are all long out of service.
    if (!long_term && build >= kFirstWindows10Build && build < kFirstRecordedBuild) {
      return SecurityUpdates{UpdatesState::Ended, std::nullopt};
    }
    return std::nullopt;
  }
  const Service& service = entry->by_class[static_cast<std::size_t>(*edition)];
  switch (service.kind) {
    case Service::LongEnded: return SecurityUpdates{UpdatesState::Ended, std::nullopt};
    case Service::NoSuchEdition: return std::nullopt;
    case Service::Until: break;
  }
  const UpdatesState state = *today <= service.last_day ? UpdatesState::Supported : UpdatesState::Ended;
  return SecurityUpdates{state, service.last_day};
}

}  // namespace kestro::probe
