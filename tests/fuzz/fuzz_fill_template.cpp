// fill_template against a plain step-by-step reference: for i = 0, 1, ... every "{i}" in the
// whole current text is replaced by argument i.
// Input: template and up to four arguments separated by 0xFF bytes.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "probe/format.h"

namespace {

constexpr std::size_t kMaxText = 1 << 20;  // skip inputs whose expansion gets this large

std::optional<std::string> reference(std::string_view templ,
                                     const std::vector<std::string_view>& args) {
  std::string text(templ);
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string marker = "{" + std::to_string(i) + "}";
    std::string next;
    std::size_t from = 0;
    for (std::size_t pos = text.find(marker); pos != std::string::npos;
         pos = text.find(marker, from)) {
      next.append(text, from, pos - from);
      next.append(args[i]);
      from = pos + marker.size();
      if (next.size() > kMaxText) return std::nullopt;
    }
    next.append(text, from, std::string::npos);
    text = std::move(next);
  }
  return text;
}

std::string call(std::string_view templ, const std::vector<std::string_view>& a) {
  switch (a.size()) {
    case 0: return kestro::fill_template(templ, {});
    case 1: return kestro::fill_template(templ, {a[0]});
    case 2: return kestro::fill_template(templ, {a[0], a[1]});
    case 3: return kestro::fill_template(templ, {a[0], a[1], a[2]});
    default: return kestro::fill_template(templ, {a[0], a[1], a[2], a[3]});
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  std::vector<std::string_view> parts;
  for (;;) {
    const std::size_t sep = input.find('\xFF');
    parts.push_back(input.substr(0, sep));
    if (sep == std::string_view::npos || parts.size() == 5) break;
    input.remove_prefix(sep + 1);
  }
  const std::string_view templ = parts.front();
  const std::vector<std::string_view> args(parts.begin() + 1, parts.end());

  const std::optional<std::string> expected = reference(templ, args);
  if (!expected) return 0;
  const std::string result = call(templ, args);
  FUZZ_CHECK(result == *expected);
  if (templ.find('{') == std::string_view::npos) FUZZ_CHECK(result == templ);
  return 0;
}
