#include "probe/text_case.h"

#include <cstdint>
#include <optional>
#include <vector>

#include "base/utf8.h"

namespace kestro::probe {
namespace {

// Coverage (there is no Unicode library in the build, so the mappings are written out):
//   Basic Latin, Latin-1 Supplement, Latin Extended-A (U+0130 becomes "i" + U+0307 as in
//   the full mapping), Greek and Coptic (capital sigma becomes final sigma at the end of a
//   word), Cyrillic and Cyrillic Supplement, Armenian, and the fullwidth Latin capitals.
// Every other code point is left as it is; Latin Extended-B, Georgian, Cherokee, Glagolitic,
// Latin Extended Additional, the Greek extended block and the rare special cases outside
// the blocks above are not lowered.

bool even(char32_t c) { return c % 2 == 0; }

// Simple (one-to-one) lower-case mapping of the covered blocks; nullopt when `c` has none.
std::optional<char32_t> simple_lower(char32_t c) {
  if (c >= 'A' && c <= 'Z') return c + 0x20;
  // Latin-1: U+00D7 is the multiplication sign.
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20;
  // Latin Extended-A: mostly capital/small pairs, with the parity switching at U+0139 and
  // U+0179; U+0138, U+0149 and U+017F are small letters without a capital here.
  if ((c >= 0x100 && c <= 0x12F) || (c >= 0x132 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) {
    return even(c) ? std::optional<char32_t>(c + 1) : std::nullopt;
  }
  if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) {
    return even(c) ? std::nullopt : std::optional<char32_t>(c + 1);
  }
  if (c == 0x178) return 0xFF;
  // Greek.
  if (c == 0x370 || c == 0x372 || c == 0x376) return c + 1;
  if (c == 0x37F) return 0x3F3;
  if (c == 0x386) return 0x3AC;
  if (c >= 0x388 && c <= 0x38A) return c + 0x25;
  if (c == 0x38C) return 0x3CC;
  if (c == 0x38E || c == 0x38F) return c + 0x3F;
  if ((c >= 0x391 && c <= 0x3A1) || (c >= 0x3A3 && c <= 0x3AB)) return c + 0x20;
  if (c == 0x3CF) return 0x3D7;
  if (c >= 0x3D8 && c <= 0x3EF) return even(c) ? std::optional<char32_t>(c + 1) : std::nullopt;
  if (c == 0x3F4) return 0x3B8;
  if (c == 0x3F7 || c == 0x3FA) return c + 1;
  if (c == 0x3F9) return 0x3F2;
  if (c >= 0x3FD && c <= 0x3FF) return c - 0x82;
  // Cyrillic and Cyrillic Supplement.
  if (c >= 0x400 && c <= 0x40F) return c + 0x50;
  if (c >= 0x410 && c <= 0x42F) return c + 0x20;
  if ((c >= 0x460 && c <= 0x481) || (c >= 0x48A && c <= 0x4BF) || (c >= 0x4D0 && c <= 0x52F)) {
    return even(c) ? std::optional<char32_t>(c + 1) : std::nullopt;
  }
  if (c == 0x4C0) return 0x4CF;
  if (c >= 0x4C1 && c <= 0x4CE) return even(c) ? std::nullopt : std::optional<char32_t>(c + 1);
  // Armenian.
  if (c >= 0x531 && c <= 0x556) return c + 0x30;
  // Fullwidth Latin capitals.
  if (c >= 0xFF21 && c <= 0xFF3A) return c + 0x20;
  return std::nullopt;
}

// Whether `c` is a letter with case in the covered blocks (for the final-sigma rule).
bool is_cased(char32_t c) {
  if (simple_lower(c)) return true;
  if (c >= 'a' && c <= 'z') return true;
  if (c == 0xAA || c == 0xB5 || c == 0xBA) return true;
  if (c >= 0xDF && c <= 0x24F && c != 0xF7) return true;
  if (c == 0x371 || c == 0x373 || c == 0x377 || (c >= 0x37B && c <= 0x37D)) return true;
  if (c >= 0x386 && c <= 0x3FF) return c != 0x387 && c != 0x3F6;
  if (c >= 0x400 && c <= 0x52F) return !(c >= 0x482 && c <= 0x489);
  if (c >= 0x561 && c <= 0x587) return true;
  if (c >= 0xFF41 && c <= 0xFF5A) return true;
  return false;
}

// Marks and format characters that the final-sigma test looks through (a subset of the
// Case_Ignorable property: apostrophes, the period, combining marks).
bool is_case_ignorable(char32_t c) {
  return c == '\'' || c == '.' || c == ':' || c == 0xAD || c == 0xB7 || c == 0x2019 ||
         (c >= 0x300 && c <= 0x36F) || (c >= 0x483 && c <= 0x489) || c == 0x200B ||
         c == 0x200C || c == 0x200D;
}

}  // namespace

std::string lower_case(std::string_view utf8) {
  // Decode once so the final-sigma rule can look at neighbours; `raw` marks a byte that is
  // not part of valid UTF-8.
  struct Unit {
    char32_t code;
    bool raw;
  };
  std::vector<Unit> units;
  units.reserve(utf8.size());
  for (std::size_t at = 0; at < utf8.size();) {
    const Utf8Step step = decode_utf8(utf8, at);
    if (step.valid) {
      units.push_back({step.code, false});
    } else {
      for (std::size_t k = 0; k < step.length; ++k) {
        units.push_back({static_cast<unsigned char>(utf8[at + k]), true});
      }
    }
    at += step.length;
  }

  const auto cased_before = [&](std::size_t i) {
    while (i > 0) {
      --i;
      if (units[i].raw) return false;
      if (is_case_ignorable(units[i].code)) continue;
      return is_cased(units[i].code);
    }
    return false;
  };
  const auto cased_after = [&](std::size_t i) {
    for (++i; i < units.size(); ++i) {
      if (units[i].raw) return false;
      if (is_case_ignorable(units[i].code)) continue;
      return is_cased(units[i].code);
    }
    return false;
  };

  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < units.size(); ++i) {
    const Unit u = units[i];
    if (u.raw) {
      out += static_cast<char>(u.code);
    } else if (u.code == 0x130) {
      append_utf8(out, 'i');  // capital I with dot above: "i" and a combining dot
      append_utf8(out, 0x307);
    } else if (u.code == 0x3A3 && cased_before(i) && !cased_after(i)) {
      append_utf8(out, 0x3C2);  // capital sigma at the end of a word
    } else {
      append_utf8(out, simple_lower(u.code).value_or(u.code));
    }
  }
  return out;
}

}  // namespace kestro::probe
