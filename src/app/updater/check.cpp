#include "app/updater/check.h"

#include <mutex>

#include "app/updater/launch.h"
#include "app/updater/texts.h"
#include "base/utf8.h"

namespace kestro::updater {

namespace {

std::mutex& check_lock() {
  static std::mutex& lock = *new std::mutex;  // outlives every thread, like the slots
  return lock;
}

}  // namespace

UpdateCheckSlot& update_check_slot() {
  static UpdateCheckSlot& slot = *new UpdateCheckSlot;
  return slot;
}

CheckResult run_update_check(UpdaterPlatform& platform, std::string_view address,
                             std::string_view current_version) {
  const std::lock_guard one_at_a_time(check_lock());
  const TextOrError directory = platform.working_directory();
  if (!directory.text) return CheckFailed{directory.error};
  const std::string file = join_path(*directory.text, kManifestFileName);

  if (std::optional<std::string> failure = platform.fetch(address, file)) {
    return CheckFailed{std::move(*failure)};
  }
  const TextOrError read = platform.read_file(file);
  if (!read.text) return CheckFailed{read.error};
  if (!is_valid_utf8(*read.text)) return CheckFailed{std::string(kInvalidUtf8)};
  platform.delete_file(file);

  const std::optional<UpdateInfo> info = parse_manifest(*read.text);
  if (!info) return CheckFailed{std::string(kManifestRejected)};
  if (is_newer(parse_version(info->version), parse_version(current_version))) {
    return Available{*info};
  }
  return UpToDate{};
}

}  // namespace kestro::updater
