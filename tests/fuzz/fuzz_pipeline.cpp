// The whole pipeline from arbitrary platform answers: probe run, plain-text report, JSON
// document, card and toolbar layout at three widths and three scales, and painting at those widths (at a scale
// the input picks) with and without hover, toast and scroll. Checks the report's shape, valid
// UTF-8 in every text, finite geometry, cards and rows within the content height, the
// report text's footer, and a document that parses with no empty value in it.
//
// Input: four view bytes (language, options, hovered section and row), then a recorded
// machine, field by field in the machine's own order (see machine_tape.h), so that the order
// in which a run's steps read does not change what an input means. The probe runs against that
// machine. `fuzz_pipeline --write-seeds=<dir>` writes the recorded PCs and the host tests'
// machines as inputs into <dir> and exits.
#include <algorithm>
#include <array>
#include <cmath>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "app/view/app_state.h"
#include "app/view/layout.h"
#include "app/view/paint.h"
#include "app/view/text_report.h"
#include "app/view/texts.h"
#include "base/utf16.h"
#include "base/utf8.h"
#include "base/version.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/machine_tape.h"
#include "host/recording_canvas.h"
#include "i18n/language.h"
#include "i18n/product.h"
#include "i18n/translate.h"
#include "machine/test_machines.h"
#include "probe/json_document.h"
#include "probe/section_registry.h"
#include "probe/run_probe.h"
#include "probe/storage_section.h"

namespace kestro {
namespace {

using fuzz::Tape;
using test::RecordedMachine;

// How the window looks at the report.
struct View {
  std::uint8_t language = 0;  // index into the language table
  std::uint8_t options = 0;   // bit 0 dark, bit 1 no text measuring, bits 2-4 hovered kind,
                              // bits 5-7 the scale of the painted frames (1, 1.5 or 2)
  std::uint8_t section = 0;
  std::uint8_t row = 0;
};

void answer(Tape& tape, View& v) {
  answer(tape, v.language);
  answer(tape, v.options);
  answer(tape, v.section);
  answer(tape, v.row);
}

bool finite(const gfx::RectF& r) {
  return std::isfinite(r.x) && std::isfinite(r.y) && std::isfinite(r.width) &&
         std::isfinite(r.height);
}

// No text of the report carries a control character or an invisible format character: every
// text a platform gave was cleaned where it entered the probe. (The texts are valid UTF-8.)
bool clean(std::string_view utf8) {
  for (const char16_t c : to_utf16(utf8)) {
    if (c <= 0x1F || (c >= 0x7F && c <= 0x9F) || c == 0x061C || (c >= 0x200B && c <= 0x200F) ||
        (c >= 0x202A && c <= 0x202E) || (c >= 0x2060 && c <= 0x2069) || c == 0xFEFF) {
      return false;
    }
  }
  return true;
}

void check_report(const Report& report) {
  FUZZ_CHECK(!report.title.empty() && is_valid_utf8(report.title) && clean(report.title));
  FUZZ_CHECK(is_valid_utf8(report.subtitle) && clean(report.subtitle));
  FUZZ_CHECK(!report.sections.empty() && report.sections[0].kind == SectionKind::Summary);
  const std::span<const probe::SectionEntry> cards = probe::section_registry();
  auto next_card = cards.begin();
  for (const Section& section : report.sections) {
    // Each kind at most once, in card order.
    next_card = std::find_if(next_card, cards.end(), [&section](const probe::SectionEntry& card) {
      return card.kind == section.kind;
    });
    FUZZ_CHECK(next_card != cards.end());
    ++next_card;
    FUZZ_CHECK(!section.title.empty() && is_valid_utf8(section.title));
    FUZZ_CHECK(!section.rows.empty());
    for (const Row& row : section.rows) {
      FUZZ_CHECK(!row.label.empty() && is_valid_utf8(row.label) && is_valid_utf8(row.value));
      FUZZ_CHECK(clean(row.label) && clean(row.value));
      FUZZ_CHECK(!row.badge || (is_valid_utf8(*row.badge) && clean(*row.badge)));
      FUZZ_CHECK(!row.gauge || (std::isfinite(*row.gauge) && *row.gauge >= 0 && *row.gauge <= 1));
    }
  }

  const std::string text = app::plain_text_report(report);
  FUZZ_CHECK(is_valid_utf8(text));
  // One line for the title, each section's empty line, heading and rows, and the footer's two:
  // no text adds a line of its own.
  std::size_t lines = 3;
  for (const Section& section : report.sections) lines += 2 + section.rows.size();
  FUZZ_CHECK(std::size_t(std::count(text.begin(), text.end(), '\n')) == lines);
  const std::string footer = "\n\n\u2014 Kestro " + std::string(kVersion) + " \u00B7 " +
                             std::string(kProductPage) + "\n";
  FUZZ_CHECK(text.ends_with(footer));
}

// The JSON document: one object of the kestro-report format whose every text is UTF-8 and
// every value something (never null, an empty text, list or object).
bool nothing_empty(const nlohmann::json& value) {
  if (value.is_null()) return false;
  if (value.is_string()) return !value.get_ref<const std::string&>().empty();
  if (value.is_array()) {
    if (value.empty()) return false;
    // Lists hold objects (processors, disks, ...; one with nothing known is empty, so the list
    // still counts it) or words (the requirements Windows 11 misses).
    return std::all_of(value.begin(), value.end(), [](const nlohmann::json& item) {
      if (item.is_string()) return nothing_empty(item);
      return item.is_object() && std::all_of(item.begin(), item.end(), nothing_empty);
    });
  }
  if (value.is_object()) return !value.empty() && std::all_of(value.begin(), value.end(), nothing_empty);
  return true;
}

void check_document(const probe::PcFacts& facts) {
  const std::string text = probe::json_document(facts);
  FUZZ_CHECK(is_valid_utf8(text) && text.ends_with("}\n"));
  const nlohmann::json document = nlohmann::json::parse(text, nullptr, false);
  FUZZ_CHECK(document.is_object() && document.value("format", "") == "kestro-report");
  FUZZ_CHECK(nothing_empty(document));
}

void check_layout(const Report& report, app::ClientSize client, float scale) {
  const app::CardLayout layout = app::layout_cards(client, scale, &report);
  const float height = layout.content_height;
  FUZZ_CHECK(std::isfinite(height) && layout.cards.size() == report.sections.size());
  const auto inside = [height](const gfx::RectF& r) {
    return finite(r) && r.y >= 0 && r.height >= 0 && r.y + r.height <= height;
  };
  for (std::size_t i = 0; i < layout.cards.size(); ++i) {
    const app::CardBox& card = layout.cards[i];
    FUZZ_CHECK(inside({card.x, card.y, card.width, card.height}));
    FUZZ_CHECK(card.rows.size() == report.sections[i].rows.size());
    for (const gfx::RectF& row : card.rows) FUZZ_CHECK(inside(row));
  }

  test::RecordingCanvas measurer;
  for (const app::ToolbarButton& button : app::layout_toolbar(client, scale, &report, &measurer)) {
    FUZZ_CHECK(finite(button.rect) && !button.caption.empty() && is_valid_utf8(button.caption));
  }
}

// Paints one frame; returns the number of texts drawn.
std::size_t check_frame(const app::AppState& state, app::ClientSize client, bool measure) {
  test::RecordingCanvas canvas;
  canvas.can_measure = measure;
  app::paint(state, canvas, client, app::Clock::time_point{});
  std::size_t texts = 0;
  for (const test::CanvasCall& call : canvas.calls) {
    FUZZ_CHECK(finite(call.rect) && std::isfinite(call.radius) && std::isfinite(call.stroke));
    FUZZ_CHECK(is_valid_utf8(call.text));
    texts += call.op == test::CanvasCall::Op::Text;
  }
  return texts;
}

void check_window(Report report, const View& view) {
  std::size_t rows = 0;
  for (const Section& section : report.sections) rows += section.rows.size();
  const std::size_t sections = report.sections.size();

  app::AppState state;
  state.dark = (view.options & 1) != 0;
  const bool measure = (view.options & 2) == 0;
  const app::HitTarget hover{app::HitKind((view.options >> 2 & 7) % 6), view.section, view.row};
  std::optional<std::string> toast;
  if (hover.kind == app::HitKind::Value && hover.section < sections &&
      hover.row < report.sections[hover.section].rows.size()) {
    toast = std::string(translate(app::texts::kCopied)) + " " +
            app::value_line(report.sections[hover.section].rows[hover.row]);
  }
  state.report = std::move(report);

  constexpr std::array<std::uint32_t, 3> kDpis = {96, 144, 192};
  for (const std::int32_t width : {520, 1080, 2560}) {
    for (const std::uint32_t dpi : kDpis) check_layout(*state.report, {width, 0}, float(dpi) / 96);
    // Painting costs most, so the frames are painted at one scale per input.
    state.dpi = kDpis[(view.options >> 5) % kDpis.size()];
    const float scale = state.scale();
    const float height = app::layout_cards({width, 0}, scale, &*state.report).content_height;

    // Everything on screen: every heading, label and value is drawn.
    state.hover = {};
    state.toast.reset();
    state.scroll = 0;
    const app::ClientSize whole{width, std::int32_t(std::ceil(height))};
    FUZZ_CHECK(check_frame(state, whole, measure) >= 1 + sections + 2 * rows);

    // The smallest window, scrolled to the end, with the pointer somewhere.
    const app::ClientSize small{width, std::int32_t(420 * scale)};
    state.hover = hover;
    state.toast = toast;
    state.scroll = app::max_scroll(app::layout_cards(small, scale, &*state.report), small);
    check_frame(state, small, measure);
  }
}

std::size_t language_index(std::string_view code) {
  const auto& table = language_table();
  for (std::size_t i = 0; i < table.size(); ++i) {
    if (table[i].code == code) return i;
  }
  return 0;
}

// Writes `recorded` with the view of `language` as an input file.
void write_seed(const std::string& path, RecordedMachine recorded, std::string_view language) {
  Tape tape;
  View view{std::uint8_t(language_index(language)), 5 << 2, 0, 0};  // pointer over the first row
  answer(tape, view);
  ScopedLanguageOverride scoped(language);
  answer(tape, recorded);  // the machine as reading it back gives it
  const Report report = probe::run_probe(recorded);

  // Replaying the input must give the same report.
  Tape replay(tape.written());
  View replayed_view;
  answer(replay, replayed_view);
  RecordedMachine replayed;
  answer(replay, replayed);
  FUZZ_CHECK(app::plain_text_report(probe::run_probe(replayed)) == app::plain_text_report(report));
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(tape.written().data()),
             std::streamsize(tape.written().size()));
}

// The full machine with a few hundred rows: modules, disks with reliability counters and
// partitions, adapters, monitors, drives and batteries. Its size is also how long libFuzzer
// lets inputs grow.
RecordedMachine crowded_machine() {
  using test::row;
  RecordedMachine machine = test::full_machine();
  wmi::WmiRows modules, disks, partitions;
  for (int i = 0; i < 2; ++i) {  // the full machine's own modules and disks come first
    modules.push_back(row({"8589934592", "3200", "3200", "Acme", "AC8G", i == 0 ? "A0" : "B0", "26"}));
  }
  disks.push_back(row({"0", "Disk One", "4", "17", "1000204886016", "0", std::nullopt}));
  disks.push_back(row({"1", "Disk Two", "3", "11", "2000398934016", "0", std::nullopt}));
  for (int i = 0; i < 64; ++i) {
    const std::string n = std::to_string(i);
    modules.push_back(row({"4294967296", "0", "2666", "Acme", "AC4G", "DIMM " + n, "34"}));
    const std::string path = "MSFT_PhysicalDisk.ObjectId=\"" + n + "\"";
    disks.push_back(row({"D" + n, "Disk " + n, "3", "11", "4000787030016", n, path}));
    machine.record_associators(test::kStorage, path, "MSFT_StorageReliabilityCounter",
                               test::kReliabilityProperties, wmi::WmiRows{row({"41", n, "1234", n, "1"})});
  }
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    partitions.push_back(row({std::to_string(letter % 2), std::to_string(int{letter})}));
  }
  machine.record(test::kStorage, "MSFT_Partition", test::kPartitionProperties, partitions);
  machine.record(test::kCimv2, "Win32_PhysicalMemory", test::kMemoryProperties, modules);
  machine.record(test::kStorage, "MSFT_PhysicalDisk", test::kDiskProperties, disks);
  for (std::uint32_t i = 0; i < 7; ++i) {  // eight batteries at most
    machine.adapters.push_back({"Acme GPU " + std::to_string(i), 8589934592u * i, i % 3});
    machine.displays->paths.push_back({i + 1, 143856, 1000, std::nullopt});
    machine.displays->modes.push_back({1 + i % 2, 3840, 2160});
    machine.battery_list.push_back({"Cell", 0x40000000u * (i % 2), 50000, 40000 - 4000 * i, 300});
  }
  machine.drive_mask = 0x3FFFFFF;
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    machine.fixed[letter] = letter != 'D';
    machine.spaces[letter] = probe::DriveSpace{500107862016, 1000000000u * (letter - 'A')};
  }
  return machine;
}

std::string read_file(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), {}};
}

void write_seeds(const std::string& dir) {
  for (const char* name : {"thinkpad-t470s", "gigabyte-haswell-gtx950", "msi-gf63-thin-11uc",
                           "dell-latitude-7480", "asus-tuf-x570-5600x", "hostile-texts"}) {
    const std::string recorded = read_file(std::string(KESTRO_MACHINES_DIR) + "/" + name + ".json");
    write_seed(dir + "/seed-" + name, RecordedMachine::from_json(recorded), "en");
  }
  write_seed(dir + "/seed-crowded-machine", crowded_machine(), "fr");
  write_seed(dir + "/seed-full-machine", test::full_machine(), "en");
  write_seed(dir + "/seed-full-machine-ko", test::full_machine(), "ko");
  write_seed(dir + "/seed-without-wmi", RecordedMachine{}, "de");
  const std::vector<wmi::WmiValue> odd = test::odd_values();
  for (std::size_t i = 0; i < odd.size(); ++i) {
    write_seed(dir + "/seed-odd-" + std::to_string(i), test::odd_machine(odd[i]), "en");
  }
}

}  // namespace
}  // namespace kestro

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  // libFuzzer passes over arguments that start with "--".
  constexpr std::string_view kWriteSeeds = "--write-seeds=";
  for (int i = 1; i < *argc; ++i) {
    const std::string_view arg = (*argv)[i];
    if (!arg.starts_with(kWriteSeeds)) continue;
    kestro::write_seeds(std::string(arg.substr(kWriteSeeds.size())));
    std::exit(0);
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kestro;
  Tape tape({data, size});
  View view;
  answer(tape, view);
  const auto& languages = language_table();
  ScopedLanguageOverride language(languages[view.language % languages.size()].code);

  RecordedMachine machine;
  answer(tape, machine);
  const probe::PcFacts facts = probe::probe_facts(machine);
  Report report = probe::report_of(facts);
  check_report(report);
  check_document(facts);
  check_window(std::move(report), view);
  return 0;
}
