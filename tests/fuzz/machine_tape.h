#pragma once
// A recorded machine read from a fuzzer's input (or, when recording, written to one). The
// machine's fields come in a fixed order of the machine, whatever order a run reads them in:
// the admin flag and uptime, the namespaces that connect, every WMI answer (namespace, class,
// condition, how it ends, its property names and its rows of values), the registry values,
// the DXGI adapters, the display configuration, the drives, the batteries, the power
// status, the firmware type, the TPM and CPUID. Numbers are fixed-width little-endian, counts one byte, texts end at 0xFF; past the
// end every byte reads as 0. Texts pass through the same UTF-16 conversion as in the Windows
// adapters, and WMI values are trimmed as the COM adapter trims them.

#include <algorithm>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "base/utf16.h"
#include "machine/recorded_machine.h"

namespace kestro::fuzz {

// Reads fields from the input, or, when recording, appends the fields it is shown.
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
    if (reading_) {
      list.resize(count % (max + 1));
    } else {
      list.resize(count);
    }
  }

  // A text runs to a 0xFF byte or the end of the input, so bytes inserted into it leave the
  // fields after it in place. Its bytes are UTF-8, malformed sequences read as U+FFFD; after
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

// One field each: read into `value`, or recorded from it (texts then become what reading
// them back gives, so a recorded machine and its replay answer alike).
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

// A name or a text from a driver or registry buffer: up to the first NUL, at most
// `max_units`.
inline void buffer_text(Tape& tape, std::string& text, std::size_t max_units = SIZE_MAX) {
  const std::u16string units = tape.units(text);
  text = utf8_up_to_nul(units.data(), std::min(units.size(), max_units));
}
inline void answer(Tape& tape, std::string& text) { buffer_text(tape, text); }

// A WMI property as the COM adapter hands it on: converted, trimmed, blank as absent.
inline void answer(Tape& tape, wmi::WmiValue& value) {
  const std::u16string units = tape.units(value.value_or(std::string()));
  value = wmi::make_value(to_utf8(units));
}

// One class's answer as a table: the property names once, then each object's values in
// their order (an object may have fewer). An object's property without a value and a
// property it lacks read alike, so nothing a run can see is lost.
inline void answer(Tape& tape, test::WmiAnswer& a) {
  buffer_text(tape, a.wmi_namespace);
  buffer_text(tape, a.class_name);
  buffer_text(tape, a.condition);
  auto flags = std::uint8_t(a.associators | !a.ok << 1 | !a.complete << 2);
  tape.number(flags);
  a.associators = (flags & 1) != 0;
  a.ok = (flags & 2) == 0;
  a.complete = (flags & 4) == 0;

  std::vector<std::string> names;
  for (const test::WmiObject& object : a.objects) {
    for (const auto& [name, value] : object) {
      if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
    }
  }
  answer_list(tape, names, 32);
  std::vector<std::vector<wmi::WmiValue>> rows;
  for (const test::WmiObject& object : a.objects) {
    std::vector<wmi::WmiValue>& row = rows.emplace_back(names.size());
    for (const auto& [name, value] : object) {
      const auto at = std::find(names.begin(), names.end(), name);
      if (at != names.end()) row[std::size_t(at - names.begin())] = value;
    }
  }
  tape.size(rows, 255);
  for (std::vector<wmi::WmiValue>& row : rows) answer_list(tape, row, names.size());
  // Recording too: the objects become what reading them back gives.
  a.objects.clear();
  for (const std::vector<wmi::WmiValue>& row : rows) {
    test::WmiObject& object = a.objects.emplace_back();
    for (std::size_t i = 0; i < row.size(); ++i) object.emplace_back(names[i], row[i]);
  }
}

inline void answer(Tape& tape, test::RegistryEntry& entry) {
  auto hive = std::uint8_t(entry.hive);
  tape.number(hive);
  entry.hive = probe::RegistryHive(hive & 1);
  buffer_text(tape, entry.path);
  buffer_text(tape, entry.name);
  auto kind = std::uint8_t(entry.value.index());
  tape.number(kind);
  if (tape.reading()) {
    entry.value = (kind & 1) != 0 ? probe::RegistryValue(std::uint32_t{0}) : probe::RegistryValue(std::string());
  }
  std::visit([&tape](auto& value) { answer(tape, value); }, entry.value);
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

// The drives: the letter mask, which letters are fixed, and the space of each letter that
// answers it.
inline void answer_drives(Tape& tape, test::RecordedMachine& m) {
  answer(tape, m.drive_mask);
  std::uint32_t fixed = 0;
  for (const auto& [letter, is_fixed] : m.fixed) {
    if (is_fixed && letter >= 'A' && letter <= 'Z') fixed |= std::uint32_t{1} << (letter - 'A');
  }
  answer(tape, fixed);
  struct Space {
    std::uint8_t letter = 0;
    probe::DriveSpace space;
  };
  std::vector<Space> spaces;
  for (const auto& [letter, space] : m.spaces) {
    if (letter >= 'A' && letter <= 'Z') spaces.push_back({std::uint8_t(letter - 'A'), space});
  }
  tape.size(spaces, 26);
  for (Space& s : spaces) {
    answer(tape, s.letter);
    answer(tape, s.space.total);
    answer(tape, s.space.total_free);
  }
  if (!tape.reading()) return;
  for (int bit = 0; bit < 26; ++bit) m.fixed[char('A' + bit)] = (fixed >> bit & 1) != 0;
  for (const Space& s : spaces) m.spaces[char('A' + s.letter % 26)] = s.space;
}

inline void answer(Tape& tape, probe::TpmAnswer& t) {
  answer(tape, t.result);
  answer(tape, t.version);
}

inline void answer(Tape& tape, probe::CpuIdAnswer& c) {
  buffer_text(tape, c.vendor, 12);
  answer(tape, c.leaf1_eax);
  answer(tape, c.leaf1_ecx);
}

inline void answer(Tape& tape, probe::Date& d) {
  answer(tape, d.year);
  answer(tape, d.month);
  answer(tape, d.day);
}

inline void answer(Tape& tape, test::RecordedMachine& m) {
  answer(tape, m.admin);
  answer(tape, m.uptime_ms);
  answer_list(tape, m.namespaces, 8);
  answer_list(tape, m.wmi, 255);
  answer_list(tape, m.registry, 32);
  answer_list(tape, m.adapters, 255);
  answer(tape, m.displays);
  answer_drives(tape, m);
  answer_list(tape, m.battery_list, 8);  // the platform reads at most eight
  answer(tape, m.power);
  answer(tape, m.firmware);
  answer(tape, m.tpm_answer);
  answer(tape, m.cpu_id);
  answer(tape, m.today);  // last: the inputs kept from before it decode as they did
}

}  // namespace kestro::fuzz
