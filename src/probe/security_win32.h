#pragma once
// The Security card's reads that are not registry values, on Windows. None needs
// administrator rights, and none is imported: the functions are looked up at run time.

#include "probe/security_reads.h"

namespace kestro::probe {

FirmwareTypeAnswer read_firmware_type();
TpmAnswer read_tpm();
std::optional<CpuIdAnswer> read_cpuid();

}  // namespace kestro::probe
