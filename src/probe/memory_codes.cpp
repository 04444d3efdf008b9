#include "probe/memory_codes.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "base/text.h"

namespace kestro::probe {
namespace {

struct Maker {
  int bank;  // JEDEC continuation bank, counted from 1
  int id;    // the code within the bank, without its parity bit
  std::string_view name;
};

struct MakerCode {
  int bank;
  int id;  // as written, parity bit included
};

constexpr std::array<Maker, 24> kMakers = {{
    {1, 44, "Micron"},         {1, 45, "SK hynix"},      {1, 65, "Infineon"},
    {1, 78, "Samsung"},        {2, 20, "Smart Modular"}, {2, 24, "Kingston"},
    {2, 58, "PNY"},            {2, 79, "Transcend"},     {2, 122, "Apacer"},
    {3, 30, "Corsair"},        {3, 126, "Elpida"},       {4, 11, "Nanya"},
    {4, 19, "GeIL"},           {4, 20, "Mushkin"},       {4, 37, "Kingmax"},
    {5, 67, "Ramaxel"},        {5, 75, "ADATA"},         {5, 77, "G.Skill"},
    {5, 111, "Team Group"},    {6, 2, "Patriot"},        {6, 27, "Crucial"},
    {6, 81, "Qimonda"},        {7, 83, "Silicon Power"}, {7, 94, "Lexar"},
}};

std::optional<int> hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return std::nullopt;
}

std::string_view without_hex_prefix(std::string_view text) {
  if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    return text.substr(2);
  }
  return text;
}

// The bytes of an even number of hex digits; nothing for any other text.
std::optional<std::vector<std::uint8_t>> hex_bytes(std::string_view digits) {
  if (digits.size() % 2 != 0) return std::nullopt;
  std::vector<std::uint8_t> bytes;
  bytes.reserve(digits.size() / 2);
  for (std::size_t i = 0; i < digits.size(); i += 2) {
    const std::optional<int> high = hex_digit(digits[i]);
    const std::optional<int> low = hex_digit(digits[i + 1]);
    if (!high || !low) return std::nullopt;
    bytes.push_back(static_cast<std::uint8_t>(*high * 16 + *low));
  }
  return bytes;
}

// Firmware writes the code (at least two bytes here) in one of three layouts: 0x7F
// continuation bytes before the ID; a bank count followed by the ID; or the ID alone,
// padded with zero bytes.
std::optional<MakerCode> bank_and_id(const std::vector<std::uint8_t>& b) {
  if (b[0] == 0x7F) {
    std::size_t k = 0;
    while (k < b.size() && b[k] == 0x7F) ++k;
    if (k == b.size()) return std::nullopt;
    return MakerCode{static_cast<int>(k) + 1, b[k]};
  }
  if ((b[0] & 0x7F) <= 15 && b[1] != 0) return MakerCode{(b[0] & 0x7F) + 1, b[1]};
  for (std::size_t i = 1; i < b.size(); ++i) {
    if (b[i] != 0) return std::nullopt;
  }
  return MakerCode{1, b[0]};
}

}  // namespace

std::string memory_maker_name(std::string_view manufacturer) {
  const std::string_view text = trim(manufacturer);
  const std::string_view digits = without_hex_prefix(text);
  if (digits.size() < 4 || digits.size() > 16) return std::string(text);
  const std::optional<std::vector<std::uint8_t>> bytes = hex_bytes(digits);
  if (!bytes) return std::string(text);
  const std::optional<MakerCode> code = bank_and_id(*bytes);
  if (!code) return std::string(text);
  for (const Maker& maker : kMakers) {
    if (maker.bank == code->bank && maker.id == (code->id & 0x7F)) return std::string(maker.name);
  }
  return std::string(text);
}

std::string decoded_part_number(std::string_view part_number) {
  const std::string_view text = trim(part_number);
  const std::string_view digits = without_hex_prefix(text);
  if (digits.size() == text.size() || digits.size() < 8) return std::string(text);
  std::optional<std::vector<std::uint8_t>> bytes = hex_bytes(digits);
  if (!bytes) return std::string(text);
  while (!bytes->empty() && bytes->back() == 0) bytes->pop_back();
  std::string decoded;
  for (const std::uint8_t byte : *bytes) {
    if (byte < 0x20 || byte > 0x7E) return std::string(text);
    decoded.push_back(static_cast<char>(byte));
  }
  return std::string(trim(decoded));
}

}  // namespace kestro::probe
