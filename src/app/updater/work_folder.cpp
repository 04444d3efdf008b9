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

void remove_leftover_installers(UpdaterPlatform& platform) {
  const TextOrError directory = open_work_folder(platform);
  if (!directory.text) return;
  std::vector<std::string> left;
  for (const std::string& name : platform.files_matching(*directory.text, installer_file_name("*"))) {
    if (is_installer_file_name(name)) left.push_back(join_path(*directory.text, name));
  }
  for (int tries = 1; !left.empty(); ++tries) {
    std::erase_if(left, [&](const std::string& path) { return platform.delete_unused(path); });
    if (left.empty() || tries == kLeftoverTries) break;
    platform.pause(kLeftoverRetryMilliseconds);
  }
}

}  // namespace kestro::updater
