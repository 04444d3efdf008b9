#pragma once
// The toolbar's pop-up menu: its items as they open now, the command ids, and the About box.
// The menu is rebuilt from the stored settings each time it opens, so its check marks show
// what is stored, not what is in force (a new language applies from the next start).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kestro::app {

inline constexpr std::uint32_t kCommandDismissed = 0;
inline constexpr std::uint32_t kCommandAutomaticUpdates = 1;
inline constexpr std::uint32_t kCommandCheckForUpdates = 2;
inline constexpr std::uint32_t kCommandMoreApps = 3;
inline constexpr std::uint32_t kCommandAbout = 4;
inline constexpr std::uint32_t kCommandFollowWindows = 100;
// 101 + the row of the language table, in table order.
inline constexpr std::uint32_t kCommandFirstLanguage = 101;

struct MenuItem {
  enum class Kind : std::uint8_t { Command, Separator, Submenu };
  Kind kind = Kind::Command;
  std::string text;              // translated; a language's own name is never translated
  std::uint32_t id = 0;          // commands only
  bool checked = false;
  std::vector<MenuItem> items;   // submenus only

  friend bool operator==(const MenuItem&, const MenuItem&) = default;
};

// Language ▸ (Follow Windows, separator, the ten languages), Automatic updates, Check for
// updates, More apps from Lumwerk, About Kestro. `stored_language` and `auto_update` are the
// stored `Language` and `AutoUpdate` values (absent when missing or unreadable).
std::vector<MenuItem> build_context_menu(const std::optional<std::string>& stored_language,
                                         std::optional<std::uint32_t> auto_update);

// The language code a language command stores: "" for Follow Windows, the table's code for
// 101 to 110, nothing for any other id.
std::optional<std::string> language_for_command(std::uint32_t id);

// The About box: caption and text (lines separated by LF).
std::string about_caption();
std::string about_text();

}  // namespace kestro::app
