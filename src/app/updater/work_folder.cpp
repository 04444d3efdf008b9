#include "app/updater/work_folder.h"

#include "app/updater/launch.h"
#include "app/updater/texts.h"
#include "i18n/translate.h"

namespace kestro::updater {

std::variant<WorkFolder, std::string> open_work_folder(UpdaterPlatform& platform) {
  const TextOrError directory = platform.working_directory();
  if (!directory.text) return directory.error;
  const std::string refused(translate(texts::kDownloadFailed));
  const FolderFacts facts = platform.folder_facts(*directory.text);
  if (!facts.exists || !facts.directory || facts.reparse_point) return refused;
  if (!platform.elevated()) return WorkFolder{*directory.text, false};

  const std::optional<std::string> random = platform.random_bytes(kPrivateNameBytes);
  if (!random || random->size() != kPrivateNameBytes) return refused;
  WorkFolder folder{join_path(*directory.text, hex_lower(*random)), true};
  // A folder that exists already is never used: somebody else may have made it.
  if (!platform.create_private_folder(folder.path, kPrivateFolderSecurity)) return refused;
  return folder;
}

void discard_work_file(UpdaterPlatform& platform, const WorkFolder& folder,
                       std::string_view file) {
  platform.delete_file(file);
  if (folder.private_folder) platform.remove_folder(folder.path);
}

}  // namespace kestro::updater
