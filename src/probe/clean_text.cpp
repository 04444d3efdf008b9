#include "probe/clean_text.h"

#include "base/utf8.h"

namespace kestro::probe {
namespace {

// C0, DEL and C1 controls, and the two characters that end a line or a paragraph wherever a
// text layout or an editor meets them.
bool becomes_space(char32_t c) {
  return c <= 0x1F || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029;
}

struct Range {
  char32_t first;
  char32_t last;
};

// Unicode's format characters (general category Cf) and the variation selectors: none of them
// shows, and some reorder or hide the text around them.
constexpr Range kInvisible[] = {
    {0x00AD, 0x00AD},   {0x0600, 0x0605},   {0x061C, 0x061C},   {0x06DD, 0x06DD},
    {0x070F, 0x070F},   {0x0890, 0x0891},   {0x08E2, 0x08E2},   {0x180B, 0x180F},
    {0x200B, 0x200F},   {0x202A, 0x202E},   {0x2060, 0x206F},   {0xFE00, 0xFE0F},
    {0xFEFF, 0xFEFF},   {0xFFF9, 0xFFFB},   {0x110BD, 0x110BD}, {0x110CD, 0x110CD},
    {0x13430, 0x1343F}, {0x1BCA0, 0x1BCA3}, {0x1D173, 0x1D17A}, {0xE0000, 0xE007F},
    {0xE0100, 0xE01EF},
};

bool is_invisible(char32_t c) {
  for (const Range& range : kInvisible) {
    if (c < range.first) return false;  // the ranges are in order
    if (c <= range.last) return true;
  }
  return false;
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
    } else if (becomes_space(step.code)) {
      clean += ' ';
      ++kept;
    } else if (!is_invisible(step.code)) {
      clean.append(utf8.substr(at, step.length));
      ++kept;
    }
    at += step.length;
  }
  return clean;
}

}  // namespace kestro::probe
