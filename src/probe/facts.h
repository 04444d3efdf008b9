#pragma once
// Everything one probe run found, as typed facts: byte counts, numbers, dates and kinds, not
// yet any text of the interface. Each card's rows, the plain-text report and the JSON document
// are all made from this.

#include <vector>

#include "probe/battery_section.h"
#include "probe/displays_section.h"
#include "probe/graphics_section.h"
#include "probe/memory_section.h"
#include "probe/processor_section.h"
#include "probe/security_section.h"
#include "probe/storage_section.h"
#include "probe/system_section.h"
#include "probe/windows_section.h"

namespace kestro::probe {

struct PcFacts {
  SystemFacts system;
  WindowsFacts windows;
  std::vector<ProcessorFacts> processors;
  MemoryFacts memory;
  std::vector<AdapterFacts> graphics;
  std::vector<DisplayFacts> displays;
  StorageFacts storage;      // disks and fixed drives
  BatteriesFacts batteries;  // batteries and the power line
  SecurityFacts security;    // firmware, Secure Boot, TPM and what Windows 11 asks of them
};

}  // namespace kestro::probe
