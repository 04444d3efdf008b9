#include "probe/memory_codes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kestro::probe {
namespace {

using Cases = std::vector<std::pair<std::string, std::string>>;

TEST(MemoryMakerName, EveryKnownCodeAndTextsThatStay) {
  const Cases cases = {
      // Every maker of the table, in the three layouts firmware uses.
      {"2C00", "Micron"}, {"80AD000080AD", "SK hynix"}, {"C100000000000000", "Infineon"},
      {"CE00000000000000", "Samsung"}, {"0194", "Smart Modular"}, {"0198", "Kingston"},
      {"7F3A000000000000", "PNY"}, {"814F", "Transcend"}, {"0x017A", "Apacer"},
      {"7F7F9E0000000000", "Corsair"}, {"0x02FE", "Elpida"}, {"030B", "Nanya"},
      {"7F7F7F13", "GeIL"}, {"0394", "Mushkin"}, {"83A5", "Kingmax"}, {"0443", "Ramaxel"},
      {"04CB", "ADATA"}, {"7F7F7F7FCD000000", "G.Skill"}, {"04EF", "Team Group"},
      {"0502", "Patriot"}, {"859B", "Crucial"}, {"0551", "Qimonda"},
      {"0653", "Silicon Power"}, {"7F7F7F7F7F7F5E00", "Lexar"}, {"  0X02fe ", "Elpida"},
      // Codes without a name, texts that are no code.
      {"0420", "0420"}, {"0x7F7F7F7F7F7F7F9E", "0x7F7F7F7F7F7F7F9E"}, {"7F7F7F7F", "7F7F7F7F"},
      {"CE00000000000001", "CE00000000000001"}, {"2C", "2C"}, {"2C000", "2C000"},
      {"2C00000000000000000", "2C00000000000000000"}, {"2C0G", "2C0G"}, {" SK Hynix ", "SK Hynix"},
  };
  for (const auto& [maker, name] : cases) EXPECT_EQ(memory_maker_name(maker), name) << maker;
}

TEST(DecodedPartNumber, HexTextBecomesItsAsciiText) {
  const Cases cases = {
      {"0x45424A3431554638424455302D474E2D4620", "EBJ41UF8BDU0-GN-F"},
      {" 0X4142434400000000 ", "ABCD"},  // trailing zero bytes dropped
      {"0x2020414220200000", "AB"},      // then trimmed
      {"0x00000000", ""},
      {"0x414243", "0x414243"},          // fewer than 8 digits
      {"0x414243444", "0x414243444"},    // odd count
      {"4142434445464748", "4142434445464748"},
      {"0x41420043", "0x41420043"},      // a zero byte inside
      {"0x4142437F", "0x4142437F"},      // not printable
      {"0x4142434G", "0x4142434G"},
  };
  for (const auto& [part, text] : cases) EXPECT_EQ(decoded_part_number(part), text) << part;
}

}  // namespace
}  // namespace kestro::probe
