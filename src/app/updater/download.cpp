#include "app/updater/download.h"

#include <utility>
#include <vector>

#include "app/updater/launch.h"
#include "app/updater/signature.h"
#include "app/updater/texts.h"
#include "app/updater/work_folder.h"
#include "base/text.h"
#include "i18n/product.h"
#include "i18n/translate.h"

namespace kestro::updater {

namespace {

std::string text(const TextPair& pair) { return std::string(translate(pair)); }

// The held installer, or the text for the user (the hold ends with the return).
std::variant<std::unique_ptr<HeldFile>, std::string> fetch_and_verify(UpdaterPlatform& platform,
                                                                      const UpdateInfo& info,
                                                                      const std::string& path) {
  if (std::optional<std::string> failure = platform.fetch(info.url, path, info.size)) {
    return std::move(*failure);
  }
  HeldOpen open = platform.open_held(path);
  if (!open.file) return std::move(open.error);
  HeldFile& file = *open.file;

  const std::optional<std::uint64_t> size = file.size();
  if (!size) return file.error();
  if (*size != info.size) return text(texts::kSizeMismatch);

  std::string read_error;
  const std::optional<std::string> digest = held_file_sha256(platform, file, *size, read_error);
  if (!read_error.empty()) return read_error;
  // A digest that could not be computed cannot match.
  if (!digest || *digest != info.sha256) return text(texts::kHashMismatch);

  if (!signature_accepted(platform.read_signature(file, path), kExpectedPublisher)) {
    return text(texts::kSignatureRejected);
  }
  // The maker signs every release alike; only the version tells an old one from this one, and
  // the product name Kestro's installer from another program's (the installer compiler pads
  // its version texts with blanks).
  const std::optional<VersionResource> resource = platform.version_resource(file);
  if (!resource || !same_version(resource->file_version, parse_version(info.version)) ||
      !resource->product_name || trim(*resource->product_name) != kProductName) {
    return text(texts::kSignatureRejected);
  }
  return std::move(open.file);
}

}  // namespace

std::optional<std::string> held_file_sha256(UpdaterPlatform& platform, HeldFile& file,
                                            std::uint64_t size, std::string& read_error) noexcept {
  try {
    const std::unique_ptr<Sha256> hash = platform.sha256();
    std::vector<char> piece(kHashPieceBytes);
    std::uint64_t hashed = 0;
    for (;;) {
      const std::optional<std::size_t> got = file.read(piece);
      if (!got) {
        read_error = file.error();
        return std::nullopt;
      }
      if (*got == 0) break;
      hash->add(std::string_view(piece.data(), *got));
      hashed += *got;
    }
    if (hashed != size) return std::nullopt;
    return hash->finish();
  } catch (...) {
    return std::nullopt;
  }
}

DownloadResult run_download(UpdaterPlatform& platform, const UpdateInfo& info) {
  TextOrError folder = open_work_folder(platform);
  if (!folder.text) return DownloadFailed{std::move(folder.error)};
  const std::string path = join_path(*folder.text, installer_file_name(info.version));

  std::variant<std::unique_ptr<HeldFile>, std::string> verified = text(texts::kDownloadFailed);
  try {
    verified = fetch_and_verify(platform, info, path);
  } catch (...) {
    // Out of memory: the failure above, and the file still goes.
  }
  if (auto* held = std::get_if<std::unique_ptr<HeldFile>>(&verified)) {
    return InstallerReady{path, std::move(*held)};
  }
  (void)platform.delete_file(path);
  return DownloadFailed{std::move(std::get<std::string>(verified))};
}

}  // namespace kestro::updater
