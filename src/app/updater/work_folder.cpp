#include "app/updater/work_folder.h"

#include <string>
#include <vector>

#include "app/updater/launch.h"
#include "app/updater/manifest.h"
#include "app/updater/texts.h"
#include "i18n/translate.h"

namespace kestro::updater {

TextOrError open_work_folder(UpdaterPlatform& platform) {
  TextOrError directory = platform.working_directory();
  if (!directory.text) return directory;
  const FolderFacts facts = platform.folder_facts(*directory.text);
  if (!facts.exists || !facts.directory || facts.reparse_point) {
    return {std::nullopt, std::string(translate(texts::kDownloadFailed))};
  }
  return directory;
}

void remove_leftover_installers(UpdaterPlatform& platform, std::string_view current_version) {
  const TextOrError directory = open_work_folder(platform);
  if (!directory.text) return;
  const std::vector<std::uint32_t> current = parse_version(current_version);
  std::vector<std::string> left;
  for (const std::string& name : platform.files_matching(*directory.text, installer_file_name("*"))) {
    const std::optional<std::string_view> version = installer_file_version(name);
    if (version && !is_newer(parse_version(*version), current)) {
      left.push_back(join_path(*directory.text, name));
    }
  }
  for (int tries = 1; !left.empty(); ++tries) {
    std::erase_if(left, [&](const std::string& path) { return platform.delete_file(path); });
    if (left.empty() || tries == kLeftoverTries) break;
    platform.pause(kLeftoverRetryMilliseconds);
  }
}

}  // namespace kestro::updater
