#include "app/updater/download.h"

#include <mutex>
#include <utility>

#include "app/updater/launch.h"
#include "app/updater/publisher.h"
#include "app/updater/texts.h"
#include "i18n/translate.h"

namespace kestro::updater {

namespace {

std::mutex& download_lock() {
  static std::mutex& lock = *new std::mutex;
  return lock;
}

// Lets go of the file first: the hold denies deletion.
DownloadResult reject(UpdaterPlatform& platform, HeldRead& read, const std::string& path,
                      const TextPair& text) {
  read.file.reset();
  platform.delete_file(path);
  return DownloadFailed{std::string(translate(text))};
}

}  // namespace

DownloadSlot& download_slot() {
  static DownloadSlot& slot = *new DownloadSlot;
  return slot;
}

DownloadResult run_download(UpdaterPlatform& platform, const UpdateInfo& info) {
  const std::lock_guard one_at_a_time(download_lock());
  const TextOrError directory = platform.working_directory();
  if (!directory.text) return DownloadFailed{directory.error};
  const std::string path = join_path(*directory.text, installer_file_name(info.version));

  if (std::optional<std::string> failure = platform.fetch(info.url, path)) {
    return DownloadFailed{std::move(*failure)};
  }
  HeldRead read = platform.read_held(path);
  if (!read.file) return DownloadFailed{std::move(read.error)};

  if (info.size != 0 && read.bytes.size() != info.size) {
    return reject(platform, read, path, texts::kSizeMismatch);
  }
  const std::optional<std::string> digest = platform.sha256_hex(read.bytes);
  // A digest that could not be computed cannot match.
  if (!digest || *digest != info.sha256) return reject(platform, read, path, texts::kHashMismatch);
  std::string().swap(read.bytes);  // the installer may be large; it is not needed any more

  if (!publisher_accepted(platform.read_signature(path), kExpectedPublisher)) {
    return reject(platform, read, path, texts::kSignatureRejected);
  }
  return InstallerReady{path, std::move(read.file)};
}

}  // namespace kestro::updater
