#pragma once
// The probe run and its section steps. Each step appends only to its own rows, so a failing
// source removes nothing but its own rows.

#include <string>
#include <vector>

#include "probe/platform.h"
#include "probe/report.h"
#include "wmi/wmi.h"

namespace kestro::probe {

// Runs every step against `platform` and assembles the report; never fails as a whole.
Report run_probe(ProbePlatform& platform);

struct GraphicsOutput {
  std::vector<Row> rows;
  std::vector<std::string> summaries;  // one per adapter, for the Summary card
};
// `cimv2` may be null (no session): then no Driver rows.
GraphicsOutput probe_graphics(wmi::WmiSession* cimv2, ProbePlatform& platform);

std::vector<Row> probe_displays(ProbePlatform& platform);

struct StorageOutput {
  std::vector<Row> rows;
  std::vector<std::string> summaries;  // one per disk, for the Summary card
  bool needs_admin = false;
};
StorageOutput probe_storage(ProbePlatform& platform, bool is_admin);

// Appends one gauge row per fixed drive letter, A to Z.
void probe_drives(ProbePlatform& platform, std::vector<Row>& rows);

std::vector<Row> probe_battery(ProbePlatform& platform);

}  // namespace kestro::probe
