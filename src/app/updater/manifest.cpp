#include "app/updater/manifest.h"

#include <algorithm>
#include <cstddef>

#include <nlohmann/json.hpp>

#include "base/text.h"

namespace kestro::updater {

bool valid_manifest_version(std::string_view version) {
  if (version.empty() || version.size() > 32) return false;
  return std::all_of(version.begin(), version.end(),
                     [](char c) { return (c >= '0' && c <= '9') || c == '.'; });
}

bool valid_installer_url(std::string_view url) { return url.starts_with("https://"); }

std::optional<UpdateInfo> parse_manifest(std::string_view text) {
  // The library ends its input at a NUL byte and skips a leading byte-order mark; neither
  // belongs to a JSON text, so "{...}\0junk" must not pass.
  if (text.find('\0') != std::string_view::npos || text.starts_with("\xEF\xBB\xBF")) {
    return std::nullopt;
  }
  try {
    const nlohmann::json document = nlohmann::json::parse(text, nullptr, /*allow_exceptions=*/false);
    if (document.is_discarded() || !document.is_object()) return std::nullopt;
    const auto text_member = [&](const char* name) -> const std::string* {
      const auto found = document.find(name);
      if (found == document.end() || !found->is_string()) return nullptr;
      return &found->get_ref<const std::string&>();
    };
    const std::string* version = text_member("version");
    const std::string* url = text_member("url");
    const std::string* sha256 = text_member("sha256");
    if (version == nullptr || url == nullptr || sha256 == nullptr) return std::nullopt;
    if (!valid_manifest_version(*version) || !valid_installer_url(*url)) return std::nullopt;

    // Only an integer counts: negative, fractional or not a number is no size at all.
    const auto size = document.find("size");
    if (size == document.end() || !size->is_number_unsigned()) return std::nullopt;
    const std::uint64_t bytes = size->get<std::uint64_t>();
    if (bytes == 0 || bytes > kMaxInstallerBytes) return std::nullopt;
    return UpdateInfo{*version, *url, ascii_lower(*sha256), bytes};
  } catch (...) {
    return std::nullopt;  // out of memory while building the document
  }
}

std::string write_manifest(const UpdateInfo& info) {
  nlohmann::ordered_json document;
  document["version"] = info.version;
  document["url"] = info.url;
  document["sha256"] = info.sha256;
  document["size"] = info.size;
  // Invalid UTF-8 in a text is written as U+FFFD rather than thrown about.
  return document.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

std::vector<std::uint32_t> parse_version(std::string_view text) {
  text = trim(text);
  while (text.starts_with('v')) text.remove_prefix(1);
  std::vector<std::uint32_t> components;
  for (;;) {
    const std::size_t dot = text.find('.');
    const std::string_view piece = text.substr(0, dot);
    components.push_back(
        static_cast<std::uint32_t>(parse_unsigned(piece, UINT32_MAX).value_or(0)));
    if (dot == std::string_view::npos) break;
    text.remove_prefix(dot + 1);
  }
  return components;
}

bool is_newer(const std::vector<std::uint32_t>& remote, const std::vector<std::uint32_t>& current) {
  const std::size_t length = std::max(remote.size(), current.size());
  for (std::size_t i = 0; i < length; ++i) {
    const std::uint32_t r = i < remote.size() ? remote[i] : 0;
    const std::uint32_t c = i < current.size() ? current[i] : 0;
    if (r != c) return r > c;
  }
  return false;
}

bool same_version(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b) {
  return !is_newer(a, b) && !is_newer(b, a);
}

std::string manifest_address(std::string_view product_page, std::string_view version,
                             std::string_view language) {
  std::string address(product_page);
  address += "update.json?v=";
  address += version;
  address += "&lang=";
  address += language;
  return address;
}

}  // namespace kestro::updater
