#pragma once
// The ten interface languages and the once-per-process choice among them.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestro {

struct LanguageRow {
  std::string_view code;      // compared byte for byte, case-sensitive
  std::string_view own_name;  // shown untranslated in the Language submenu
};

// Menu order; the row index fixes the menu command id (101 + index).
const std::array<LanguageRow, 10>& language_table();

// The two inputs of the language choice. The Windows adapter reads the `Language` setting and
// GetUserDefaultUILanguage; tests give recorded values.
class LanguageSource {
 public:
  virtual ~LanguageSource() = default;
  virtual std::optional<std::string> stored_language() const = 0;
  virtual std::uint16_t user_ui_langid() const = 0;
};

// Pure rule: a stored code that is exactly one of the ten wins; otherwise the LANGID decides.
// The result always points into language_table().
std::string_view choose_language(std::optional<std::string_view> stored, std::uint16_t langid);

// Language code in force for this process: resolved on first call from the installed
// LanguageSource, then fixed. Thread-safe.
std::string_view current_language();

// Gives the language choice its inputs. The process entry installs the platform's source
// before anything is translated or any thread starts; `source` must live for the rest of the
// process. Without one, the choice sees no stored setting and an English (United States)
// Windows.
void install_language_source(const LanguageSource& source);

}  // namespace kestro
