#pragma once
// Drive usage rows of the Storage card: one gauge row per fixed drive letter.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "i18n/text_pair.h"
#include "probe/json_fields.h"
#include "probe/platform.h"
#include "probe/report.h"

namespace kestro::probe {

// The drive rows' texts.
inline constexpr TextPair kDriveLabel{"{0} 드라이브", "Drive {0}"};
inline constexpr TextPair kDriveValue{"{0} 사용 / 전체 {1}", "{0} used of {1}"};

// One fixed drive whose space could be read, with a total above 0.
struct DriveFacts {
  char letter = 'C';
  std::uint64_t total = 0;   // bytes
  std::uint64_t free = 0;    // bytes free to anyone; may exceed the total as reported
};

// "C:" from the root path "C:\": every trailing backslash removed.
std::string drive_name(std::string_view root_path);

// Every fixed drive letter, A to Z.
std::vector<DriveFacts> read_drives(ProbePlatform& platform);

// The usage row of one drive. Free space above the total counts as nothing used.
Row drive_row(const DriveFacts& drive);

// The document's "drives" list.
Json drives_json(const std::vector<DriveFacts>& drives);

}  // namespace kestro::probe
