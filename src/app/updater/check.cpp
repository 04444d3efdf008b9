#include "app/updater/check.h"

#include <utility>

#include "app/updater/launch.h"
#include "app/updater/texts.h"
#include "app/updater/work_folder.h"
#include "base/utf8.h"
#include "i18n/translate.h"

namespace kestro::updater {

namespace {

CheckResult fetch_and_judge(UpdaterPlatform& platform, std::string_view address,
                            const std::string& file, std::string_view current_version) {
  if (std::optional<std::string> failure = platform.fetch(address, file, kManifestMaxBytes)) {
    return CheckFailed{std::move(*failure)};
  }
  const TextOrError read = platform.read_file(file, kManifestMaxBytes);
  if (!read.text) return CheckFailed{read.error};
  if (read.text->size() > kManifestMaxBytes) return CheckFailed{std::string(kManifestRejected)};
  if (!is_valid_utf8(*read.text)) return CheckFailed{std::string(kInvalidUtf8)};

  const std::optional<UpdateInfo> info = parse_manifest(*read.text);
  if (!info) return CheckFailed{std::string(kManifestRejected)};
  if (is_newer(parse_version(info->version), parse_version(current_version))) {
    return Available{*info};
  }
  return UpToDate{};
}

}  // namespace

CheckResult run_update_check(UpdaterPlatform& platform, std::string_view address,
                             std::string_view current_version) {
  TextOrError folder = open_work_folder(platform);
  if (!folder.text) return CheckFailed{std::move(folder.error)};
  const std::string file = join_path(*folder.text, kManifestFileName);

  CheckResult result = CheckFailed{std::string(translate(texts::kDownloadFailed))};
  try {
    result = fetch_and_judge(platform, address, file, current_version);
  } catch (...) {
    // Out of memory: the failure above, and the file still goes.
  }
  (void)platform.delete_file(file);  // nothing stays behind, whatever the outcome
  return result;
}

}  // namespace kestro::updater
