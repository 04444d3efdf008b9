#include "app/updater/installer_start_win32.h"

#include <windows.h>

#include "app/updater/held_file_win32.h"
#include "app/updater/system_error_win32.h"
#include "app/updater/texts.h"
#include "base/utf16_win32.h"
#include "i18n/translate.h"

namespace kestro::updater {

std::optional<std::string> start_installer(const HeldFile& file, std::string_view path,
                                           std::string_view command_line) {
  const auto* held = dynamic_cast<const HeldHandle*>(&file);
  const std::optional<std::wstring> verified = held != nullptr ? final_path(held->get()) : std::nullopt;
  if (!verified || final_path_of(path) != verified) {
    return std::string(translate(texts::kSignatureRejected));
  }
  const std::wstring program = to_wide(path);
  std::wstring line = to_wide(command_line);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION started{};
  if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                      &startup, &started)) {
    return os_error_text(GetLastError());
  }
  CloseHandle(started.hThread);
  CloseHandle(started.hProcess);
  return std::nullopt;
}

}  // namespace kestro::updater
