#pragma once
// Platform answers read from a fuzzer's input (or, when recording, written to one): the probe
// run's every WMI row, registry value, DXGI adapter, display, drive and battery come from a tape
// of fixed-width little-endian numbers, one-byte counts and texts ended by 0xFF; past the end
// every byte reads as 0. Texts pass through the same UTF-16 conversion as in the Windows
// adapters.

#include <algorithm>
#include <array>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/utf16.h"
#include "probe/sections.h"
#include "probe/storage_section.h"

namespace kestro::fuzz {

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
inline void answer(Tape& tape, bool& value) {
  auto byte = std::uint8_t(value);
  tape.number(byte);
  value = (byte & 1) != 0;
}

template <std::unsigned_integral T>
inline void answer(Tape& tape, T& value) { tape.number(value); }

template <class T>
inline void answer(Tape& tape, std::optional<T>& value) {
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
inline void answer(Tape& tape, wmi::WmiValue& value) {
  const std::u16string units = tape.units(value.value_or(std::string()));
  value = wmi::make_value(to_utf8(units));
}

// A query: 0 failed, otherwise one more than the number of rows; each row with its own
// number of values (at most 15), whatever the request asked for.
inline void answer(Tape& tape, wmi::WmiResult& result) {
  auto head = std::uint8_t(result ? std::min<std::size_t>(result->size(), 254) + 1 : 0);
  tape.number(head);
  if (tape.reading()) result = head == 0 ? wmi::WmiResult() : wmi::WmiRows(head - 1u);
  if (!result) return;
  for (wmi::WmiRow& row : *result) answer_list(tape, row, 15);
}

inline void answer(Tape& tape, probe::VersionValues& v) {
  buffer_text(tape, v.display_version, SIZE_MAX);
  answer(tape, v.ubr);
}

inline void answer(Tape& tape, probe::GraphicsAdapter& a) {
  buffer_text(tape, a.name, 128);
  answer(tape, a.dedicated_video_memory);
  answer(tape, a.flags);
}

inline void answer(Tape& tape, probe::DisplayPath& p) {
  answer(tape, p.source_mode_index);
  answer(tape, p.refresh_numerator);
  answer(tape, p.refresh_denominator);
  bool named = p.friendly_name.has_value();
  answer(tape, named);
  if (tape.reading() && named) p.friendly_name.emplace();
  if (p.friendly_name) buffer_text(tape, *p.friendly_name, 64);
}

inline void answer(Tape& tape, probe::DisplayMode& m) {
  answer(tape, m.info_type);
  answer(tape, m.width);
  answer(tape, m.height);
}

inline void answer(Tape& tape, probe::DisplayConfig& c) {
  answer_list(tape, c.paths, 255);
  answer_list(tape, c.modes, 255);
}

inline void answer(Tape& tape, probe::DriveSpace& s) {
  answer(tape, s.total);
  answer(tape, s.total_free);
}

inline void answer(Tape& tape, probe::BatteryInfo& b) {
  buffer_text(tape, b.name, 128);
  answer(tape, b.capabilities);
  answer(tape, b.designed_capacity);
  answer(tape, b.full_charged_capacity);
  answer(tape, b.cycle_count);
}

inline void answer(Tape& tape, probe::PowerStatus& s) {
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

}  // namespace kestro::fuzz
