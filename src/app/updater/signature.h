#pragma once
// Whose signature an installer must carry.

#include <string_view>

#include "app/updater/platform.h"

namespace kestro::updater {

// The maker's company as its code-signing certificate names it, compared exactly.
inline constexpr std::string_view kExpectedPublisher = "Norvale Tech Co., Ltd.";

// A valid signature (trust result 0) by a signer whose name is exactly `expected`: same
// length, same bytes, letter case and blanks included. The close result does not matter.
bool publisher_accepted(const SignatureReading& reading, std::string_view expected);

}  // namespace kestro::updater
