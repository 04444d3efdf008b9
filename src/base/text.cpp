#include "base/text.h"

#include <charconv>

namespace kestro {
namespace {

// Length in bytes of the White_Space character that starts at p, or 0. Only the exact
// well-formed encodings match, so a stray or truncated byte is never taken for space and
// nothing past `end` is read.
std::size_t space_length(const char* p, const char* end) {
  const auto avail = static_cast<std::size_t>(end - p);
  const auto b0 = static_cast<unsigned char>(p[0]);
  if ((b0 >= 0x09 && b0 <= 0x0D) || b0 == 0x20) return 1;
  if (b0 == 0xC2) {
    if (avail < 2) return 0;
    const auto b1 = static_cast<unsigned char>(p[1]);
    return (b1 == 0x85 || b1 == 0xA0) ? 2 : 0;  // U+0085, U+00A0
  }
  if (b0 < 0xE1 || b0 > 0xE3 || avail < 3) return 0;
  const auto b1 = static_cast<unsigned char>(p[1]);
  const auto b2 = static_cast<unsigned char>(p[2]);
  if (b0 == 0xE1) return (b1 == 0x9A && b2 == 0x80) ? 3 : 0;  // U+1680
  if (b0 == 0xE3) return (b1 == 0x80 && b2 == 0x80) ? 3 : 0;  // U+3000
  if (b1 == 0x80) {
    // U+2000-U+200A, U+2028, U+2029, U+202F
    return (b2 <= 0x8A && b2 >= 0x80) || b2 == 0xA8 || b2 == 0xA9 || b2 == 0xAF ? 3 : 0;
  }
  return (b1 == 0x81 && b2 == 0x9F) ? 3 : 0;  // U+205F
}

// Space lead bytes are never UTF-8 continuation bytes, so stepping one byte at a time over
// anything that is not space cannot land inside a space character and misread it.
template <typename OnWord>
void for_each_word(std::string_view text, OnWord on_word) {
  const char* p = text.data();
  const char* const end = p + text.size();
  const char* word = nullptr;
  while (p < end) {
    const std::size_t n = space_length(p, end);
    if (n == 0) {
      if (word == nullptr) word = p;
      ++p;
      continue;
    }
    if (word != nullptr) {
      on_word(std::string_view(word, static_cast<std::size_t>(p - word)));
      word = nullptr;
    }
    p += n;
  }
  if (word != nullptr) on_word(std::string_view(word, static_cast<std::size_t>(end - word)));
}

}  // namespace

std::string_view trim(std::string_view text) {
  const char* first = nullptr;
  const char* last = nullptr;
  for_each_word(text, [&](std::string_view word) {
    if (first == nullptr) first = word.data();
    last = word.data() + word.size();
  });
  if (first == nullptr) return text.substr(text.size());
  return std::string_view(first, static_cast<std::size_t>(last - first));
}

std::string normalize_spaces(std::string_view text) {
  std::size_t size = 0;
  for_each_word(text, [&](std::string_view word) { size += (size == 0 ? 0 : 1) + word.size(); });
  std::string out;
  out.reserve(size);
  for_each_word(text, [&](std::string_view word) {
    if (!out.empty()) out.push_back(' ');
    out.append(word);
  });
  return out;
}

std::string ascii_lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = ascii_lower(c);
  return lower;
}

bool equals_ignoring_ascii_case(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (ascii_lower(a[i]) != ascii_lower(b[i])) return false;
  }
  return true;
}

bool contains_ignoring_ascii_case(std::string_view text, std::string_view lower) {
  if (lower.size() > text.size()) return false;
  for (std::size_t i = 0; i + lower.size() <= text.size(); ++i) {
    if (equals_ignoring_ascii_case(text.substr(i, lower.size()), lower)) return true;
  }
  return false;
}

std::optional<std::uint64_t> parse_unsigned(std::string_view text, std::uint64_t maximum) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return std::nullopt;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
  }
  std::uint64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc{} || end != text.data() + text.size() || value > maximum) {
    return std::nullopt;
  }
  return value;
}

}  // namespace kestro
