// trim, normalize_spaces and is_placeholder over arbitrary bytes (mostly not valid UTF-8).
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/text.h"
#include "fuzz/fuzz_check.h"
#include "probe/format.h"

namespace {

// The White_Space encodings, matched at any byte offset: exactly what the helpers treat as
// space, written out independently of them.
constexpr std::array<std::string_view, 25> kSpaces = {
    "\t", "\n", "\v", "\f", "\r", " ", "\xC2\x85", "\xC2\xA0", "\xE1\x9A\x80",
    "\xE2\x80\x80", "\xE2\x80\x81", "\xE2\x80\x82", "\xE2\x80\x83", "\xE2\x80\x84",
    "\xE2\x80\x85", "\xE2\x80\x86", "\xE2\x80\x87", "\xE2\x80\x88", "\xE2\x80\x89",
    "\xE2\x80\x8A", "\xE2\x80\xA8", "\xE2\x80\xA9", "\xE2\x80\xAF", "\xE2\x81\x9F",
    "\xE3\x80\x80"};

std::size_t space_at(std::string_view s, std::size_t i) {
  for (std::string_view sp : kSpaces) {
    if (s.substr(i, sp.size()) == sp) return sp.size();
  }
  return 0;
}

// All non-space bytes in order.
std::string without_spaces(std::string_view s) {
  std::string out;
  for (std::size_t i = 0; i < s.size();) {
    const std::size_t n = space_at(s, i);
    if (n == 0) out.push_back(s[i++]);
    else i += n;
  }
  return out;
}

std::string ascii_upper(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  const std::string_view t = kestro::trim(text);
  FUZZ_CHECK(t.data() >= text.data() && t.data() + t.size() <= text.data() + text.size());
  FUZZ_CHECK(kestro::trim(t) == t);
  if (!t.empty()) {
    FUZZ_CHECK(space_at(t, 0) == 0);
    for (std::string_view sp : kSpaces) {
      FUZZ_CHECK(t.size() < sp.size() || t.substr(t.size() - sp.size()) != sp);
    }
  }

  const std::string n = kestro::normalize_spaces(text);
  FUZZ_CHECK(n.empty() == t.empty());
  FUZZ_CHECK(without_spaces(n) == without_spaces(text));
  // Only single U+0020 separators remain: no other space, no run, none at either end.
  for (std::size_t i = 0; i < n.size(); ++i) {
    const std::size_t sp = space_at(n, i);
    if (sp == 0) continue;
    FUZZ_CHECK(n[i] == ' ' && i > 0 && i + 1 < n.size() && space_at(n, i + 1) == 0);
  }
  FUZZ_CHECK(kestro::normalize_spaces(n) == n);
  FUZZ_CHECK(kestro::normalize_spaces(t) == n);
  FUZZ_CHECK(kestro::trim(n) == std::string_view(n));

  // Placeholder detection ignores ASCII letter case.
  FUZZ_CHECK(kestro::is_placeholder(text) == kestro::is_placeholder(ascii_upper(text)));
  if (text.empty()) FUZZ_CHECK(kestro::is_placeholder(text));
  return 0;
}
