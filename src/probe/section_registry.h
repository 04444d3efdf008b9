#pragma once
// The report's cards in the order they appear, each with its heading and texts, its place
// among the steps, the step that reads its facts, its rows and its part of the JSON document.
// This table is the only place that knows either order: a new card is one entry here plus its
// section's facts, step and rendering.

#include <optional>
#include <span>
#include <vector>

#include "i18n/text_pair.h"
#include "probe/facts.h"
#include "probe/json_fields.h"
#include "probe/platform.h"
#include "probe/report.h"
#include "wmi/wmi.h"

namespace kestro::probe {

// What every step of one run shares.
struct ProbeRun {
  ProbePlatform& platform;
  wmi::WmiSession* cimv2;  // the run's ROOT\CIMV2 session; null when it could not be opened
  bool is_admin;           // asked once, at the start of the run
};

// The place of a card without a step of its own.
inline constexpr int kNoStep = -1;

struct SectionEntry {
  SectionKind kind;
  TextPair heading;
  // Every other text its rows may show, so that each one is known to need translations.
  std::span<const TextPair> texts;
  // Where its step runs among the steps, from 0; kNoStep when `read` is null.
  int step;
  // Reads this card's facts, writing nothing else; null for a card made of the others' facts.
  void (*read)(ProbeRun& run, PcFacts& facts);
  // The card's rows; a card without rows is left out of the report.
  std::vector<Row> (*rows)(const PcFacts& facts);
  // Adds this card's keys to the JSON document; null for a card the document leaves out.
  void (*write_json)(const PcFacts& facts, Json& document);
};

// The Security card's Windows 11 verdict, which weighs the other cards' facts.
std::optional<Windows11Verdict> windows11_verdict_of(const PcFacts& facts);

// Every card, in card order.
std::span<const SectionEntry> section_registry();

// The cards whose steps read facts, in the order the steps run (by their places).
const std::vector<const SectionEntry*>& step_order();
// Every card's heading and texts, in card order.
std::vector<TextPair> section_texts();

}  // namespace kestro::probe
