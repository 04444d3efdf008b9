#pragma once
// Whose signature an installer must carry, and for which program.

#include <cstdint>
#include <string_view>

#include "app/updater/platform.h"

namespace kestro::updater {

// The maker's company as its code-signing certificate names it, compared exactly.
inline constexpr std::string_view kExpectedPublisher = "Norvale Tech Co., Ltd.";

// The program name the installer's signature carries. Kestro.exe is signed as "Kestro", so the
// signed program itself, whose version resource passes every other check, is never taken for
// an installer and started.
inline constexpr std::string_view kInstallerProgramName = "Kestro Setup";

// What a revocation check answers when a certificate of the chain was revoked. Every other
// failure of that check (no server reachable, no revocation information) leaves the signature
// as valid as it was without the check.
inline constexpr std::int32_t kCertificateRevoked = static_cast<std::int32_t>(0x800B010C);
inline constexpr std::int32_t kCryptRevoked = static_cast<std::int32_t>(0x80092010);

// The program name of an encoded SpcSpOpusInfo (a SEQUENCE whose [0] holds a BMPString or an
// IA5String), as UTF-8; nothing when it names none or is not such an encoding. Read here
// rather than by the system's decoder, which gives a BMPString's bytes in another order on
// some systems.
std::optional<std::string> program_name(std::string_view opus_info);

// A valid signature (trust result 0) by a signer whose name is exactly `publisher` (same
// length, same bytes, letter case and blanks included), for the program kInstallerProgramName
// (compared exactly too), none of whose certificates was found revoked. The close result does
// not matter. The maker signs other programs with the same certificate; only the program name
// tells this one's installer from theirs.
bool signature_accepted(const SignatureReading& reading, std::string_view publisher);

}  // namespace kestro::updater
