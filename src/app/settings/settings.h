#pragma once
// The four per-user settings. They live in the registry and are read at the moment they
// are needed and written at the moment they change; nothing here caches them. The rules
// for turning stored values into effective settings are platform-free and live here; the
// registry access is behind `SettingsStore` (RegistrySettings on Windows).

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "i18n/product.h"

namespace kestro::app {

// HKEY_CURRENT_USER\Software\Kestro holds every value directly (no subkeys).
namespace detail {
inline constexpr std::string_view kSoftware = "Software\\";
}  // namespace detail
inline constexpr std::string_view kSettingsKey = joined_text<detail::kSoftware, kProductName>;
inline constexpr std::string_view kPlacementValue = "Placement";            // REG_BINARY, 44 bytes
inline constexpr std::string_view kAutoUpdateValue = "AutoUpdate";          // REG_DWORD
inline constexpr std::string_view kLastUpdateCheckValue = "LastUpdateCheck";  // REG_SZ seconds
inline constexpr std::string_view kLanguageValue = "Language";              // REG_SZ code or ""

// Every read gives nothing when the value is absent, of another type or unreadable; the
// caller then uses the default. Write failures are ignored: the next start simply sees the
// old value or the default.
class SettingsStore {
 public:
  virtual ~SettingsStore() = default;

  // A REG_SZ value up to its first NUL.
  virtual std::optional<std::string> read_text(std::string_view name) = 0;
  virtual void write_text(std::string_view name, std::string_view text) = 0;
  // The REG_DWORD `AutoUpdate`.
  virtual std::optional<std::uint32_t> read_auto_update() = 0;
  virtual void write_number(std::string_view name, std::uint32_t value) = 0;
  // The raw bytes of `Placement`, whatever their number; decode_placement judges them.
  virtual std::optional<std::vector<std::uint8_t>> read_placement() = 0;
  virtual void write_placement(std::span<const std::uint8_t> bytes) = 0;
  // Deletes the whole key with every value (--unregister). Harmless when it is missing.
  virtual void remove_all() = 0;
};

// `LastUpdateCheck`: seconds since 1970-01-01 UTC as a plain unsigned decimal. An optional
// leading "+" is accepted and leading zeros are still the same number ("0001" is 1).
// Anything else counts as 0: absent, empty, a lone "+", a sign "-", blanks before or after
// the digits, other characters, or a number beyond 64 bits (0 makes the next start check
// again and overwrite the value).
std::uint64_t parse_last_update_check(const std::optional<std::string>& text);
// The stored form: decimal digits, no sign, no leading zeros.
std::string format_last_update_check(std::uint64_t seconds);

// Automatic update checks are on unless `AutoUpdate` is present and 0.
bool auto_update_enabled(std::optional<std::uint32_t> flag);
// The value the menu's toggle writes: 1 when checks are off now, otherwise 0.
std::uint32_t toggled_auto_update(std::optional<std::uint32_t> flag);

// `Placement` holds a WINDOWPLACEMENT exactly as GetWindowPlacement fills it: eleven
// little-endian 32-bit fields.
inline constexpr std::size_t kPlacementSize = 44;
inline constexpr std::uint32_t kShowNormal = 1;     // SW_SHOWNORMAL
inline constexpr std::uint32_t kShowMaximized = 3;  // SW_SHOWMAXIMIZED

struct StoredPlacement {
  std::uint32_t length = 0;
  std::uint32_t flags = 0;
  std::uint32_t show_cmd = 0;
  std::int32_t min_x = 0, min_y = 0;  // minimized position
  std::int32_t max_x = 0, max_y = 0;  // maximized position
  std::int32_t left = 0, top = 0, right = 0, bottom = 0;  // normal rectangle

  friend bool operator==(const StoredPlacement&, const StoredPlacement&) = default;
};

// The placement when the value is exactly 44 bytes; any other size is ignored.
std::optional<StoredPlacement> decode_placement(std::span<const std::uint8_t> bytes);
std::array<std::uint8_t, kPlacementSize> encode_placement(const StoredPlacement& placement);

// Readies a stored placement for SetWindowPlacement on the still hidden window and returns
// the show command for the first ShowWindow: maximized (3) when it was stored maximized,
// otherwise normal (1) — a minimized window comes back normal. Flags and show command are
// zeroed so the window stays hidden; the length is set to 44 because SetWindowPlacement
// rejects any other, so a damaged length field cannot undo the restore.
std::uint32_t prepare_for_restore(StoredPlacement& placement);

}  // namespace kestro::app
