#include "probe/drives_section.h"

#include <vector>

#include "i18n/translate.h"
#include "probe/format.h"
#include "probe/sections.h"

namespace kestro::probe {

std::string drive_name(std::string_view root_path) {
  while (!root_path.empty() && root_path.back() == '\\') root_path.remove_suffix(1);
  return std::string(root_path);
}

std::optional<Row> drive_row(std::string_view name, const std::optional<DriveSpace>& space) {
  if (!space || space->total == 0) return std::nullopt;
  const std::uint64_t used = space->total_free > space->total ? 0 : space->total - space->total_free;
  const float gauge = static_cast<float>(used) / static_cast<float>(space->total);
  return Row::gauge_row(
      fill_template(translate({"{0} 드라이브", "Drive {0}"}), {name}),
      fill_template(translate({"{0} 사용 / 전체 {1}", "{0} used of {1}"}),
                    {format_disk_size(used), format_disk_size(space->total)}),
      gauge);
}

void probe_drives(ProbePlatform& platform, std::vector<Row>& rows) {
  const std::uint32_t mask = platform.logical_drive_mask();
  for (int bit = 0; bit < 26; ++bit) {
    if ((mask & (std::uint32_t{1} << bit)) == 0) continue;
    const char letter = static_cast<char>('A' + bit);
    if (!platform.is_fixed_drive(letter)) continue;
    const std::string root = std::string(1, letter) + ":\\";
    if (auto row = drive_row(drive_name(root), platform.drive_space(letter))) {
      rows.push_back(std::move(*row));
    }
  }
}

}  // namespace kestro::probe
