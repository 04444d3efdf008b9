#pragma once
// Settings kept in memory, with a count of reads and writes, for the window core's tests.

#include <map>
#include <optional>
#include <string>

#include "app/settings.h"

namespace kestro::test {

class FakeSettings : public app::SettingsStore {
 public:
  std::map<std::string, std::string, std::less<>> texts;
  std::optional<std::uint32_t> auto_update;
  int reads = 0;
  int writes = 0;

  std::optional<std::string> read_text(std::string_view name) override {
    ++reads;
    const auto found = texts.find(name);
    if (found == texts.end()) return std::nullopt;
    return found->second;
  }
  void write_text(std::string_view name, std::string_view text) override {
    ++writes;
    texts[std::string(name)] = std::string(text);
  }
  std::optional<std::uint32_t> read_flag() override {
    ++reads;
    return auto_update;
  }
  void write_number(std::string_view name, std::uint32_t value) override {
    ++writes;
    if (name == app::kAutoUpdateValue) auto_update = value;
  }
  std::optional<std::vector<std::uint8_t>> read_placement() override {
    ++reads;
    return std::nullopt;
  }
  void write_placement(std::span<const std::uint8_t>) override { ++writes; }
  void remove_all() override {
    ++writes;
    texts.clear();
    auto_update.reset();
  }
};

}  // namespace kestro::test
