#include "app/updater/signature.h"

#include <cstddef>
#include <cstdint>
#include <optional>

#include "base/utf16.h"
#include "i18n/product.h"

namespace kestro::updater {
namespace {

// One DER element: its tag and its contents.
struct Element {
  std::uint8_t tag = 0;
  std::string_view contents;
};

// The element at the front of `der`, which then holds what follows it. Nothing for a
// truncated or indefinite encoding, or a length beyond what a signature attribute holds.
std::optional<Element> take_element(std::string_view& der) {
  if (der.size() < 2) return std::nullopt;
  const auto tag = static_cast<std::uint8_t>(der[0]);
  std::size_t length = static_cast<std::uint8_t>(der[1]);
  std::size_t head = 2;
  if (length > 0x7F) {
    const std::size_t bytes = length & 0x7F;
    if (bytes == 0 || bytes > 3 || der.size() < 2 + bytes) return std::nullopt;
    length = 0;
    for (std::size_t i = 0; i < bytes; ++i) length = length << 8 | static_cast<std::uint8_t>(der[2 + i]);
    head += bytes;
  }
  if (der.size() - head < length) return std::nullopt;
  Element element{tag, der.substr(head, length)};
  der.remove_prefix(head + length);
  return element;
}

}  // namespace

std::optional<std::string> program_name(std::string_view opus_info) {
  std::optional<Element> sequence = take_element(opus_info);
  if (!sequence || sequence->tag != 0x30) return std::nullopt;
  std::optional<Element> name = take_element(sequence->contents);  // [0] EXPLICIT SpcString
  if (!name || name->tag != 0xA0) return std::nullopt;
  const std::optional<Element> text = take_element(name->contents);
  if (!text) return std::nullopt;
  if (text->tag == 0x81) {  // [1] IMPLICIT IA5String
    for (const char c : text->contents) {
      if (static_cast<unsigned char>(c) > 0x7F) return std::nullopt;
    }
    return std::string(text->contents);
  }
  if (text->tag != 0x80 || text->contents.size() % 2 != 0) return std::nullopt;  // BMPString
  std::u16string units;
  for (std::size_t i = 0; i < text->contents.size(); i += 2) {  // big-endian
    units.push_back(static_cast<char16_t>(static_cast<std::uint8_t>(text->contents[i]) << 8 |
                                          static_cast<std::uint8_t>(text->contents[i + 1])));
  }
  return to_utf8(units);
}

bool signature_accepted(const SignatureReading& reading, std::string_view publisher) {
  const bool revoked = reading.revocation == kCertificateRevoked || reading.revocation == kCryptRevoked;
  return reading.trust == 0 && reading.signer == publisher && reading.opus_info &&
         program_name(*reading.opus_info) == kInstallerProgramName && !revoked;
}

}  // namespace kestro::updater
