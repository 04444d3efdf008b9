#include "app/updater/signature.h"

namespace kestro::updater {

bool publisher_accepted(const SignatureReading& reading, std::string_view expected) {
  return reading.trust == 0 && reading.signer && *reading.signer == expected;
}

}  // namespace kestro::updater
