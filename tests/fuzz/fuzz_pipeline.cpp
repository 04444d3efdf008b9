// The whole pipeline from arbitrary platform answers: probe run, plain-text report, card and
// toolbar layout at three widths and three scales, and painting at those widths (at a scale
// the input picks) with and without hover, toast and scroll. Checks the report's shape, valid
// UTF-8 in every text, finite geometry, cards and rows within the content height, and the
// report text's footer.
//
// Input: four view bytes (language, options, hovered section and row), then the answer of
// every platform call in the order the run makes them (see Tape and the answer overloads):
// fixed-width little-endian numbers, one-byte counts, texts ended by 0xFF; past the end every
// byte reads as 0. Texts pass through the same UTF-16 conversion as in the Windows adapters.
// `fuzz_pipeline --write-seeds=<dir>` writes the host tests' recorded machines as inputs into
// <dir> and exits.
#include <algorithm>
#include <array>
#include <cmath>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/view/app_state.h"
#include "app/view/layout.h"
#include "app/view/paint.h"
#include "app/view/text_report.h"
#include "app/view/texts.h"
#include "base/utf16.h"
#include "base/utf8.h"
#include "base/version.h"
#include "fuzz/fuzz_check.h"
#include "host/recorded_machines.h"
#include "host/recording_canvas.h"
#include "i18n/language.h"
#include "i18n/product.h"
#include "i18n/translate.h"
#include "probe/sections.h"
#include "probe/storage_section.h"

namespace kestro {
namespace {

// Reads answers from the input, or, when recording, appends the answers it is shown.
class Tape {
 public:
  static constexpr std::uint8_t kTextEnd = 0xFF;
  static constexpr std::uint8_t kWideText = 0xFE;

  explicit Tape(std::span<const std::uint8_t> input) : input_(input), reading_(true) {}
  Tape() = default;

  bool reading() const { return reading_; }
  const std::vector<std::uint8_t>& written() const { return written_; }

  template <std::unsigned_integral T>
  void number(T& value) {  // little-endian, sizeof(T) bytes
    if (!reading_) {
      for (std::size_t i = 0; i < sizeof(T); ++i) written_.push_back(std::uint8_t(value >> 8 * i));
      return;
    }
    value = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i) value |= T(T(next()) << 8 * i);
  }

  // A list of at most `max` elements (one byte); the caller answers the elements.
  template <class List>
  void size(List& list, std::size_t max) {
    auto count = std::uint8_t(std::min(list.size(), max));
    number(count);
    if (reading_) list.resize(count % (max + 1));
  }

  // A text runs to a 0xFF byte or the end of the input, so bytes inserted into it leave the
  // answers after it in place. Its bytes are UTF-8, malformed sequences read as U+FFFD; after
  // a leading 0xFE they are UTF-16 units, little-endian, so unpaired surrogates occur too (a
  // unit whose low byte is 0xFF ends the text). Recording writes the UTF-8 form and gives
  // what reading it back gives.
  std::u16string units(std::string_view text) {
    if (!reading_) {
      const std::string clean = to_utf8(to_utf16(text));  // valid UTF-8 holds no 0xFF
      written_.insert(written_.end(), clean.begin(), clean.end());
      written_.push_back(kTextEnd);
      return to_utf16(clean);
    }
    std::u16string out;
    const auto in_text = [this] { return at_ < input_.size() && input_[at_] != kTextEnd; };
    if (in_text() && input_[at_] == kWideText) {
      for (++at_; in_text();) {
        const char16_t low = next();
        out.push_back(char16_t(low | next() << 8));
      }
    } else {
      std::string bytes;
      while (in_text()) bytes.push_back(char(next()));
      out = to_utf16(bytes);
    }
    next();  // the end mark
    return out;
  }

 private:
  std::uint8_t next() { return at_ < input_.size() ? input_[at_++] : 0; }

  std::span<const std::uint8_t> input_;
  std::size_t at_ = 0;
  bool reading_ = false;
  std::vector<std::uint8_t> written_;
};

// One answer each: read into `value`, or recorded from it (texts then become what reading
// them back gives, so a recorded run and its replay see the same answers).
void answer(Tape& tape, bool& value) {
  auto byte = std::uint8_t(value);
  tape.number(byte);
  value = (byte & 1) != 0;
}

template <std::unsigned_integral T>
void answer(Tape& tape, T& value) { tape.number(value); }

template <class T>
void answer(Tape& tape, std::optional<T>& value) {
  bool present = value.has_value();
  answer(tape, present);
  if (tape.reading()) value = present ? std::optional<T>(T{}) : std::nullopt;
  if (value) answer(tape, *value);
}

template <class T>
void answer_list(Tape& tape, std::vector<T>& items, std::size_t max) {
  tape.size(items, max);
  for (T& item : items) answer(tape, item);
}

// A text from a driver or registry buffer: up to the first NUL, at most `max_units`.
void buffer_text(Tape& tape, std::string& text, std::size_t max_units) {
  const std::u16string units = tape.units(text);
  text = utf8_up_to_nul(units.data(), std::min(units.size(), max_units));
}

// A WMI property as the COM adapter hands it on: converted, trimmed, blank as absent.
void answer(Tape& tape, wmi::WmiValue& value) {
  const std::u16string units = tape.units(value.value_or(std::string()));
  value = wmi::make_value(to_utf8(units));
}

// A query: 0 failed, otherwise one more than the number of rows; each row with its own
// number of values (at most 15), whatever the request asked for.
void answer(Tape& tape, wmi::WmiResult& result) {
  auto head = std::uint8_t(result ? std::min<std::size_t>(result->size(), 254) + 1 : 0);
  tape.number(head);
  if (tape.reading()) result = head == 0 ? wmi::WmiResult() : wmi::WmiRows(head - 1u);
  if (!result) return;
  for (wmi::WmiRow& row : *result) answer_list(tape, row, 15);
}

void answer(Tape& tape, probe::VersionValues& v) {
  buffer_text(tape, v.display_version, SIZE_MAX);
  answer(tape, v.ubr);
}

void answer(Tape& tape, probe::GraphicsAdapter& a) {
  buffer_text(tape, a.name, 128);
  answer(tape, a.dedicated_video_memory);
  answer(tape, a.flags);
}

void answer(Tape& tape, probe::DisplayPath& p) {
  answer(tape, p.source_mode_index);
  answer(tape, p.refresh_numerator);
  answer(tape, p.refresh_denominator);
  bool named = p.friendly_name.has_value();
  answer(tape, named);
  if (tape.reading() && named) p.friendly_name.emplace();
  if (p.friendly_name) buffer_text(tape, *p.friendly_name, 64);
}

void answer(Tape& tape, probe::DisplayMode& m) {
  answer(tape, m.info_type);
  answer(tape, m.width);
  answer(tape, m.height);
}

void answer(Tape& tape, probe::DisplayConfig& c) {
  answer_list(tape, c.paths, 255);
  answer_list(tape, c.modes, 255);
}

void answer(Tape& tape, probe::DriveSpace& s) {
  answer(tape, s.total);
  answer(tape, s.total_free);
}

void answer(Tape& tape, probe::BatteryInfo& b) {
  buffer_text(tape, b.name, 128);
  answer(tape, b.capabilities);
  answer(tape, b.designed_capacity);
  answer(tape, b.full_charged_capacity);
  answer(tape, b.cycle_count);
}

void answer(Tape& tape, probe::PowerStatus& s) {
  answer(tape, s.ac_line_status);
  answer(tape, s.battery_life_percent);
}

template <class T>
T pass(Tape& tape, T value) {
  answer(tape, value);
  return value;
}

class TapeSession final : public wmi::WmiSession {
 public:
  TapeSession(Tape& tape, std::unique_ptr<wmi::WmiSession> recorded)
      : tape_(tape), recorded_(std::move(recorded)) {}

  wmi::WmiResult query_text(std::string_view wql, wmi::PropertyList properties) override {
    return pass(tape_, recorded_ ? recorded_->query_text(wql, properties) : std::nullopt);
  }

 private:
  Tape& tape_;
  std::unique_ptr<wmi::WmiSession> recorded_;
};

// Answers every call from the tape. With a recorded platform behind it, it passes that
// platform's answers on and records them.
class TapePlatform final : public probe::ProbePlatform {
 public:
  TapePlatform(Tape& tape, probe::ProbePlatform* recorded) : tape_(tape), recorded_(recorded) {}

  bool is_admin() override { return pass(tape_, recorded_ && recorded_->is_admin()); }
  std::uint64_t milliseconds_since_boot() override {
    return pass(tape_, recorded_ ? recorded_->milliseconds_since_boot() : 0);
  }
  std::unique_ptr<wmi::WmiSession> connect(std::string_view wmi_namespace) override {
    auto recorded = recorded_ ? recorded_->connect(wmi_namespace) : nullptr;
    if (!pass(tape_, recorded != nullptr)) return nullptr;
    return std::make_unique<TapeSession>(tape_, std::move(recorded));
  }
  probe::VersionValues windows_version_values() override {
    return pass(tape_, recorded_ ? recorded_->windows_version_values() : probe::VersionValues{});
  }
  std::vector<probe::GraphicsAdapter> graphics_adapters() override {
    std::vector<probe::GraphicsAdapter> adapters;
    if (recorded_) adapters = recorded_->graphics_adapters();
    answer_list(tape_, adapters, 255);
    return adapters;
  }
  std::optional<probe::DisplayConfig> display_config() override {
    return pass(tape_, recorded_ ? recorded_->display_config() : std::nullopt);
  }
  std::uint32_t logical_drive_mask() override {
    return pass(tape_, recorded_ ? recorded_->logical_drive_mask() : 0u);
  }
  bool is_fixed_drive(char letter) override {
    return pass(tape_, recorded_ && recorded_->is_fixed_drive(letter));
  }
  std::optional<probe::DriveSpace> drive_space(char letter) override {
    return pass(tape_, recorded_ ? recorded_->drive_space(letter) : std::nullopt);
  }
  std::vector<probe::BatteryInfo> batteries() override {
    std::vector<probe::BatteryInfo> batteries;
    if (recorded_) batteries = recorded_->batteries();
    answer_list(tape_, batteries, 8);  // the platform reads at most eight
    return batteries;
  }
  std::optional<probe::PowerStatus> power_status() override {
    return pass(tape_, recorded_ ? recorded_->power_status() : std::nullopt);
  }

 private:
  Tape& tape_;
  probe::ProbePlatform* recorded_;
};

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

void check_report(const Report& report) {
  FUZZ_CHECK(!report.title.empty() && is_valid_utf8(report.title));
  FUZZ_CHECK(is_valid_utf8(report.subtitle));
  FUZZ_CHECK(!report.sections.empty() && report.sections[0].kind == SectionKind::Summary);
  auto next_kind = kSectionOrder.begin();
  for (const Section& section : report.sections) {
    // Each kind at most once, in card order.
    next_kind = std::find(next_kind, kSectionOrder.end(), section.kind);
    FUZZ_CHECK(next_kind != kSectionOrder.end());
    ++next_kind;
    FUZZ_CHECK(!section.title.empty() && is_valid_utf8(section.title));
    FUZZ_CHECK(!section.rows.empty());
    for (const Row& row : section.rows) {
      FUZZ_CHECK(!row.label.empty() && is_valid_utf8(row.label) && is_valid_utf8(row.value));
      FUZZ_CHECK(!row.badge || is_valid_utf8(*row.badge));
      FUZZ_CHECK(!row.gauge || (std::isfinite(*row.gauge) && *row.gauge >= 0 && *row.gauge <= 1));
    }
  }

  const std::string text = app::plain_text_report(report);
  FUZZ_CHECK(is_valid_utf8(text));
  const std::string footer = "\n\n\u2014 Kestro " + std::string(kVersion) + " \u00B7 " +
                             std::string(kProductPage) + "\n";
  FUZZ_CHECK(text.ends_with(footer));
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

// Records one probe run over `recorded` in `language` as an input file.
void write_seed(const std::string& path, test::FakePlatform recorded,
                std::string_view language) {
  Tape tape;
  View view{std::uint8_t(language_index(language)), 5 << 2, 0, 0};  // pointer over the first row
  answer(tape, view);
  ScopedLanguageOverride scoped(language);
  TapePlatform platform(tape, &recorded);
  const Report report = probe::run_probe(platform);

  // Replaying the input must give the same report.
  Tape replay(tape.written());
  View replayed_view;
  answer(replay, replayed_view);
  TapePlatform replayed(replay, nullptr);
  FUZZ_CHECK(app::plain_text_report(probe::run_probe(replayed)) == app::plain_text_report(report));
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(tape.written().data()),
             std::streamsize(tape.written().size()));
}

// The full machine with a few hundred rows: modules, disks with reliability counters,
// adapters, monitors, drives and batteries. Its size is also how long libFuzzer lets inputs grow.
test::FakePlatform crowded_machine() {
  using test::row;
  test::FakePlatform platform = test::full_machine();
  test::FakeWmiSession& storage = platform.namespaces.find(probe::kStorageNamespace)->second;
  wmi::WmiRows& modules = *platform.namespaces.at("ROOT\\CIMV2").answers.at(test::kMemory);
  wmi::WmiRows& disks = *storage.answers.at(test::kDisks);
  for (int i = 0; i < 64; ++i) {
    const std::string n = std::to_string(i);
    modules.push_back(row({"4294967296", "0", "2666", "Acme", "AC4G", "DIMM " + n, "34"}));
    const std::string path = "MSFT_PhysicalDisk.ObjectId=\"" + n + "\"";
    disks.push_back(row({"D" + n, "Disk " + n, "3", "11", "4000787030016", n, path}));
    storage.answers[probe::reliability_query(path)] = wmi::WmiRows{row({"41", n, "1234"})};
  }
  for (std::uint32_t i = 0; i < 7; ++i) {  // eight batteries at most
    platform.adapters.push_back({"Acme GPU " + std::to_string(i), 8589934592u * i, i % 3});
    platform.displays->paths.push_back({i + 1, 143856, 1000, std::nullopt});
    platform.displays->modes.push_back({1 + i % 2, 3840, 2160});
    platform.battery_list.push_back({"Cell", 0x40000000u * (i % 2), 50000, 40000 - 4000 * i, 300});
  }
  platform.drive_mask = 0x3FFFFFF;
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    platform.fixed[letter] = letter != 'D';
    platform.spaces[letter] = probe::DriveSpace{500107862016, 1000000000u * (letter - 'A')};
  }
  return platform;
}

void write_seeds(const std::string& dir) {
  write_seed(dir + "/seed-crowded-machine", crowded_machine(), "fr");
  write_seed(dir + "/seed-full-machine", test::full_machine(), "en");
  write_seed(dir + "/seed-full-machine-ko", test::full_machine(), "ko");
  write_seed(dir + "/seed-without-wmi", test::FakePlatform{}, "de");
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

  TapePlatform platform(tape, nullptr);
  Report report = probe::run_probe(platform);
  check_report(report);
  check_window(std::move(report), view);
  return 0;
}
