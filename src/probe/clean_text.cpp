#include "probe/clean_text.h"

#include "base/utf8.h"

namespace kestro::probe {
namespace {

bool is_control(char32_t c) { return c <= 0x1F || (c >= 0x7F && c <= 0x9F); }

bool is_invisible_format(char32_t c) {
  return c == 0x061C || (c >= 0x200B && c <= 0x200F) || (c >= 0x202A && c <= 0x202E) ||
         (c >= 0x2060 && c <= 0x2069) || c == 0xFEFF;
}

}  // namespace

std::string clean_text(std::string_view utf8) {
  std::string clean;
  clean.reserve(utf8.size());
  std::size_t kept = 0;
  for (std::size_t at = 0; at < utf8.size() && kept < kLongestText;) {
    const Utf8Step step = decode_utf8(utf8, at);
    if (!step.valid) {
      clean.append(utf8.substr(at, step.length));  // stray bytes stay for the later rules
      ++kept;
    } else if (is_control(step.code)) {
      clean += ' ';
      ++kept;
    } else if (!is_invisible_format(step.code)) {
      clean.append(utf8.substr(at, step.length));
      ++kept;
    }
    at += step.length;
  }
  return clean;
}

}  // namespace kestro::probe
