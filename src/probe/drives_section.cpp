#include "probe/drives_section.h"

#include "i18n/translate.h"
#include "probe/format.h"

namespace kestro::probe {
namespace {

// The drive's facts; nothing when its space could not be read or its total is 0.
std::optional<DriveFacts> drive_facts(char letter, const std::optional<DriveSpace>& space) {
  if (!space || space->total == 0) return std::nullopt;
  return DriveFacts{letter, space->total, space->total_free};
}

}  // namespace

std::string drive_name(std::string_view root_path) {
  while (!root_path.empty() && root_path.back() == '\\') root_path.remove_suffix(1);
  return std::string(root_path);
}

std::vector<DriveFacts> read_drives(ProbePlatform& platform) {
  std::vector<DriveFacts> drives;
  const std::uint32_t mask = platform.logical_drive_mask();
  for (int bit = 0; bit < 26; ++bit) {
    if ((mask & (std::uint32_t{1} << bit)) == 0) continue;
    const char letter = static_cast<char>('A' + bit);
    if (!platform.is_fixed_drive(letter)) continue;
    if (auto drive = drive_facts(letter, platform.drive_space(letter))) drives.push_back(*drive);
  }
  return drives;
}

Row drive_row(const DriveFacts& drive) {
  const std::uint64_t used = drive.free > drive.total ? 0 : drive.total - drive.free;
  const float gauge = static_cast<float>(used) / static_cast<float>(drive.total);
  const std::string name = drive_name(std::string(1, drive.letter) + ":\\");
  return Row::gauge_row(
      fill_template(translate(kDriveLabel), {name}),
      fill_template(translate(kDriveValue),
                    {format_disk_size(used), format_disk_size(drive.total)}),
      gauge);
}

Json drives_json(const std::vector<DriveFacts>& drives) {
  Json list = Json::array();
  for (const DriveFacts& drive : drives) {
    list.push_back(Json{{"letter", std::string(1, drive.letter)},
                        {"total_bytes", drive.total},
                        {"free_bytes", drive.free}});
  }
  return list;
}

}  // namespace kestro::probe
