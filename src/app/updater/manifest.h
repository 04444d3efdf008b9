#pragma once
// The update manifest ("update.json"), version numbers and the address the manifest is asked
// for. Everything here is plain text work; fetching and files live with the platform.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestro::updater {

// What the server says about the newest release: where its installer is and what that file
// must look like. Travels from the check thread to the window and on to the download thread.
struct UpdateInfo {
  std::string version;  // 1 to 32 bytes of digits and dots
  std::string url;      // begins with "https://"
  std::string sha256;   // as the manifest gave it, ASCII lower-cased (not checked here)
  std::uint64_t size = 0;  // its exact length in bytes, 1 to kMaxInstallerBytes

  friend bool operator==(const UpdateInfo&, const UpdateInfo&) = default;
};

// The largest installer Kestro fetches: every download has a bound, which is the manifest's
// "size", so a manifest without a valid one is refused.
inline constexpr std::uint64_t kMaxInstallerBytes = 512ull * 1024 * 1024;

// The manifest's "version": 1 to 32 bytes, only the digits 0 to 9 and ".".
bool valid_manifest_version(std::string_view version);
// The manifest's "url": begins with "https://" exactly (lower case).
bool valid_installer_url(std::string_view url);

// One JSON object (only white space around it; no byte-order mark, no NUL) with "version",
// "url" and "sha256" as strings that pass the rules above and "size" as an integer from 1 to
// kMaxInstallerBytes; other members are ignored. Nothing for any other text. Never throws.
std::optional<UpdateInfo> parse_manifest(std::string_view text);

// The manifest text for `info` (compact JSON, members in a fixed order). Every UpdateInfo
// that passes the rules comes back unchanged from parse_manifest.
std::string write_manifest(const UpdateInfo& info);

// A version text as its numeric components: white space trimmed, every leading "v" removed,
// split at each "."; a piece that is not a plain unsigned decimal within 32 bits (an optional
// "+" then digits) counts as 0. Always at least one component.
std::vector<std::uint32_t> parse_version(std::string_view text);
// Whether `remote` is greater, the shorter list padded with zeros.
bool is_newer(const std::vector<std::uint32_t>& remote, const std::vector<std::uint32_t>& current);
// Whether neither is newer than the other: 1.2 and 1.2.0.0 are the same version.
bool same_version(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b);

// "<product page>update.json?v=<version>&lang=<language>". Nothing is escaped: both values
// are URL-safe by construction.
std::string manifest_address(std::string_view product_page, std::string_view version,
                             std::string_view language);

}  // namespace kestro::updater
