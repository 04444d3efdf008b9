#pragma once
// The Authenticode signature of a held installer, as Windows reads it.

#include <string_view>

#include "app/updater/platform.h"

namespace kestro::updater {

// WinVerifyTrust (generic verify v2, no UI) on the held file's handle without revocation
// checks; when that trusts it, the first signer's certificate name and the signature's program
// name, and a second verification that asks whether any certificate of the chain was revoked.
// Every verification state is released again.
SignatureReading read_signature(HeldFile& file, std::string_view path);

}  // namespace kestro::updater
