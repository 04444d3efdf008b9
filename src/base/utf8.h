#pragma once
// UTF-8 code points in and out: the one decoder and the one encoder of the program.

#include <cstddef>
#include <string>
#include <string_view>

namespace kestro {

inline constexpr char32_t kReplacementCharacter = 0xFFFD;

struct Utf8Step {
  char32_t code = kReplacementCharacter;  // U+FFFD when `valid` is false
  std::size_t length = 1;                 // bytes taken, at least 1
  bool valid = false;
};

// The code point that starts at byte `at` (< text.size()). A malformed sequence (bad lead
// byte, missing continuation, overlong form, surrogate, beyond U+10FFFF) is not valid and
// takes the longest prefix that could have started a valid sequence, at least one byte.
Utf8Step decode_utf8(std::string_view text, std::size_t at);

// Appends the UTF-8 form of a code point (surrogates and values beyond U+10FFFF are the
// caller's business; the converters never pass them).
void append_utf8(std::string& out, char32_t code);

// True when every byte belongs to a well-formed sequence.
bool is_valid_utf8(std::string_view text);

}  // namespace kestro
