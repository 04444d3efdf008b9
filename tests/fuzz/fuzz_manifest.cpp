// parse_manifest and parse_version on any bytes.
//
// parse_manifest never throws and accepts exactly the texts the rules accept: one JSON object
// (judged by the JSON library's own document parser; no NUL, no byte-order mark) whose
// "version", "url" and "sha256" are strings, the version 1 to 32 bytes of digits and dots, the
// url beginning with "https://", and "size" an integer from 1 to 512 MiB; the digest comes back
// ASCII lower-cased. What it accepts is written back by write_manifest and read the
// same. parse_version always gives at least one component, reads its own canonical form back,
// and is_newer is a strict order on what it gives.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "app/updater/manifest.h"
#include "fuzz/fuzz_check.h"

namespace {

using kestro::updater::UpdateInfo;

std::optional<UpdateInfo> reference(std::string_view text) {
  if (text.find('\0') != std::string_view::npos || text.starts_with("\xEF\xBB\xBF")) return {};
  const nlohmann::json document = nlohmann::json::parse(text, nullptr, false);
  if (document.is_discarded() || !document.is_object()) return {};
  for (const char* name : {"version", "url", "sha256"}) {
    if (!document.contains(name) || !document[name].is_string()) return {};
  }
  const std::string version = document["version"].get<std::string>();
  if (version.empty() || version.size() > 32) return {};
  for (const char c : version) {
    if (!((c >= '0' && c <= '9') || c == '.')) return {};
  }
  const std::string url = document["url"].get<std::string>();
  if (url.size() < 8 || url.compare(0, 8, "https://") != 0) return {};
  std::string sha256 = document["sha256"].get<std::string>();
  for (char& c : sha256) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  }
  if (!document.contains("size") || !document["size"].is_number_unsigned()) return {};
  const std::uint64_t size = document["size"].get<std::uint64_t>();
  if (size == 0 || size > kestro::updater::kMaxInstallerBytes) return {};
  return UpdateInfo{version, url, sha256, size};
}

std::string joined(const std::vector<std::uint32_t>& components) {
  std::string text;
  for (std::size_t i = 0; i < components.size(); ++i) {
    if (i > 0) text += '.';
    text += std::to_string(components[i]);
  }
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  std::optional<UpdateInfo> parsed;
  try {
    parsed = kestro::updater::parse_manifest(text);
  } catch (...) {
    FUZZ_CHECK(!"parse_manifest threw");
  }
  FUZZ_CHECK(parsed == reference(text));
  if (parsed) {
    FUZZ_CHECK(kestro::updater::valid_manifest_version(parsed->version));
    FUZZ_CHECK(kestro::updater::valid_installer_url(parsed->url));
    FUZZ_CHECK(kestro::updater::parse_manifest(kestro::updater::write_manifest(*parsed)) == parsed);
  }

  const std::vector<std::uint32_t> version = kestro::updater::parse_version(text);
  FUZZ_CHECK(!version.empty());
  FUZZ_CHECK(kestro::updater::parse_version(joined(version)) == version);
  FUZZ_CHECK(!kestro::updater::is_newer(version, version));
  const std::vector<std::uint32_t> current = kestro::updater::parse_version("0.1.0");
  FUZZ_CHECK(!(kestro::updater::is_newer(version, current) &&
               kestro::updater::is_newer(current, version)));
  // Trailing zero components never make a version newer.
  std::vector<std::uint32_t> padded = version;
  padded.push_back(0);
  FUZZ_CHECK(!kestro::updater::is_newer(padded, version) && !kestro::updater::is_newer(version, padded));
  return 0;
}
