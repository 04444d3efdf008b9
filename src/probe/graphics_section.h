#pragma once
// Graphics card: every hardware adapter with its video memory and, when WMI knows it, its
// driver version and date.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "probe/platform.h"
#include "probe/sections.h"
#include "wmi/wmi.h"

namespace kestro::probe {

// Adapters in enumeration order without software rasterisers (flag 2) and without repeats of
// a byte-identical name (two identical cards show once).
std::vector<GraphicsAdapter> hardware_adapters(const std::vector<GraphicsAdapter>& enumerated);

// Dedicated memory as a short text: whole gigabytes when within 0.3 of one ("8 GB" for
// 7.75 GiB), else the 1024-based size ("3.5 GB", "512 MB").
std::string vram_text(std::uint64_t bytes);

// WMI and DXGI name the same adapter when the texts are equal with ASCII letters folded to
// lower case; nothing else is normalised.
bool same_adapter_name(std::string_view wmi_name, std::string_view adapter_name);

// Rows and summary texts from the kept adapters and the Win32_VideoController records
// (Name, DriverVersion, DriverDate); a failed query counts as no records.
GraphicsOutput graphics_rows(const std::vector<GraphicsAdapter>& adapters,
                             const wmi::WmiResult& controllers);

}  // namespace kestro::probe
