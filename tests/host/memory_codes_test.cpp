#include "probe/memory_codes.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace kestro::probe {
namespace {

std::string hex_byte(int byte) {
  char text[3];
  std::snprintf(text, sizeof text, "%02X", byte);
  return text;
}

TEST(MemoryMakerName, EveryKnownCodeInBothLayouts) {
  struct Maker {
    int bank;
    int number;
    const char* name;
  };
  const Maker makers[] = {
      {1, 44, "Micron"},     {1, 45, "SK hynix"},      {1, 65, "Infineon"},  {1, 78, "Samsung"},
      {2, 20, "Smart Modular"}, {2, 24, "Kingston"},   {2, 58, "PNY"},       {2, 79, "Transcend"},
      {2, 122, "Apacer"},    {3, 30, "Corsair"},       {3, 126, "Elpida"},   {4, 11, "Nanya"},
      {4, 19, "GeIL"},       {4, 20, "Mushkin"},       {4, 37, "Kingmax"},   {5, 67, "Ramaxel"},
      {5, 75, "ADATA"},      {5, 77, "G.Skill"},       {5, 111, "Team Group"}, {6, 2, "Patriot"},
      {6, 27, "Crucial"},    {6, 81, "Qimonda"},       {7, 83, "Silicon Power"}, {7, 94, "Lexar"},
  };
  for (const Maker& m : makers) {
    // 0x7F for every bank before the maker's, then its number, padded to eight bytes.
    std::string continued;
    for (int i = 1; i < m.bank; ++i) continued += "7F";
    continued += hex_byte(m.number);
    continued.resize(16, '0');
    EXPECT_EQ(memory_maker_name(continued), m.name) << continued;
    // The bank count, then the number with its parity bit set.
    const std::string counted = hex_byte(m.bank - 1) + hex_byte(m.number | 0x80);
    EXPECT_EQ(memory_maker_name(counted), m.name) << counted;
  }
}

TEST(MemoryMakerName, RecordedCodesAndTextsThatStay) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"80AD000080AD", "SK hynix"},
      {"0198", "Kingston"},
      {"859B", "Crucial"},
      {"04CB", "ADATA"},
      {"0x02FE", "Elpida"},
      {"  0X02fe ", "Elpida"},
      {"CE00000000000000", "Samsung"},
      {"7F7F9E0000000000", "Corsair"},
      {"2C00", "Micron"},
      {"0x7F7F7F7F7F7F7F9E", "0x7F7F7F7F7F7F7F9E"},  // bank 8: not in the table
      {"0420", "0420"},                  // bank 5, number 32: not in the table
      {"7F7F7F7F", "7F7F7F7F"},          // continuation bytes and no ID
      {"CE00000000000001", "CE00000000000001"},  // neither layout
      {"2C", "2C"},                      // too short
      {"2C000", "2C000"},                // odd count
      {"2C00000000000000000", "2C00000000000000000"},  // too long
      {"2C0G", "2C0G"},
      {"0x", "0x"},
      {" Kingston ", "Kingston"},
      {"SK Hynix", "SK Hynix"},
      {"", ""},
  };
  for (const auto& [maker, expected] : cases) EXPECT_EQ(memory_maker_name(maker), expected) << maker;
}

TEST(DecodedPartNumber, HexTextBecomesItsAsciiText) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"0x45424A3431554638424455302D474E2D4620", "EBJ41UF8BDU0-GN-F"},
      {"0X41424344", "ABCD"},
      {" 0x4142434400000000 ", "ABCD"},        // trailing zero bytes dropped
      {"0x2020414220200000", "AB"},            // then trimmed
      {"0x00000000", ""},
      {"0x414243", "0x414243"},                // fewer than 8 digits
      {"0x414243444", "0x414243444"},          // odd count
      {"4142434445464748", "4142434445464748"},  // no prefix
      {"0x41420043", "0x41420043"},            // a zero byte inside
      {"0x4142437F", "0x4142437F"},            // not printable
      {"0x41424380", "0x41424380"},
      {"0x4142434G", "0x4142434G"},
      {"HMA81GS6AFR8N-UH    ", "HMA81GS6AFR8N-UH"},
  };
  for (const auto& [part, expected] : cases) EXPECT_EQ(decoded_part_number(part), expected) << part;
}

}  // namespace
}  // namespace kestro::probe
