// Process entry of Kestro.exe.
//   --unregister  deletes the settings key and ends at once (no COM, no window).
//   --report      runs one probe on this thread and writes the plain-text report to standard
//                 output as UTF-8 with LF line ends (no window, no setting written).
//   --json        the same with the JSON document (docs/report.schema.json) instead.
//   otherwise     the main window and its message loop.
// Every path ends the process with exit code 0.

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "app/command_line.h"
#include "app/running_mutex_win32.h"
#include "app/settings/language_source_win32.h"
#include "app/settings/settings_registry_win32.h"
#include "app/view/text_report.h"
#include "app/window/window_win32.h"
#include "base/elevation_win32.h"
#include "base/handles_win32.h"
#include "base/trace_win32.h"
#include "base/utf16_win32.h"
#include "base/version.h"
#include "probe/json_document.h"
#include "probe/platform_win32.h"
#include "probe/run_probe.h"

namespace {

// The arguments as the standard Windows rules split them, program name included. An argument
// that is not valid UTF-16 comes out with U+FFFD and so never equals a switch.
std::vector<std::string> command_line_arguments() {
  std::vector<std::string> arguments;
  int count = 0;
  LPWSTR* split = CommandLineToArgvW(GetCommandLineW(), &count);
  if (split == nullptr) return arguments;
  for (int i = 0; i < count; ++i) arguments.push_back(kestro::from_wide(split[i]));
  LocalFree(split);
  return arguments;
}

bool write_all(HANDLE handle, std::string_view bytes) {
  while (!bytes.empty()) {
    DWORD written = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 20));
    if (!WriteFile(handle, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

bool write_console(HANDLE console, std::string_view text) {
  const std::wstring wide = kestro::to_wide(text);
  std::wstring_view rest = wide;
  while (!rest.empty()) {
    DWORD written = 0;
    std::size_t chunk = std::min<std::size_t>(rest.size(), 8192);
    // A surrogate pair stays within one call, so the console never sees half a character.
    if (chunk < rest.size() && rest[chunk - 1] >= 0xD800 && rest[chunk - 1] <= 0xDBFF) --chunk;
    if (!WriteConsoleW(console, rest.data(), static_cast<DWORD>(chunk), &written, nullptr) ||
        written == 0) {
      return false;
    }
    rest.remove_prefix(written);
  }
  return true;
}

// Redirected output (file or pipe) gets the exact UTF-8 bytes. A console gets UTF-16 through
// the console interface, so the text reads right whatever the console's code page; a GUI
// program has to attach to its parent's console first.
void write_standard_output(std::string_view text) {
  const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
  if (output != nullptr && output != INVALID_HANDLE_VALUE) {
    const DWORD type = GetFileType(output);
    DWORD mode = 0;
    if (type == FILE_TYPE_CHAR && GetConsoleMode(output, &mode)) {
      write_console(output, text);
      return;
    }
    // Files, pipes and other character devices (NUL) take the bytes as they are.
    if (type == FILE_TYPE_DISK || type == FILE_TYPE_PIPE || type == FILE_TYPE_CHAR) {
      write_all(output, text);
      return;
    }
  }
  if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
  const HANDLE console = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (console == INVALID_HANDLE_VALUE) return;
  write_console(console, text);
  CloseHandle(console);
}

// One probe run on this thread (whose apartment WinMain made), written out in the form
// `render` makes of its facts.
void print_facts(std::string (*render)(const kestro::probe::PcFacts&)) {
  kestro::probe::WindowsProbePlatform platform;
  write_standard_output(render(kestro::probe::probe_facts(platform)));
}

std::string plain_text(const kestro::probe::PcFacts& facts) {
  return kestro::app::plain_text_report(kestro::probe::report_of(facts));
}

// A raised copy takes no custom marshaling code from another process: an object that a
// user-level COM server hands back (the desktop's shell windows, WMI's sinks) could otherwise
// load code of the user's choosing into it. The levels are the ones WMI needs. Called once,
// after this thread's apartment was made and before any other COM call.
void secure_raised_com(kestro::Elevation elevation) {
  if (!kestro::runs_raised(elevation)) return;
  const HRESULT secured =
      CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT,
                           RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NO_CUSTOM_MARSHAL, nullptr);
  if (FAILED(secured)) kestro::trace_failure("CoInitializeSecurity", secured);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  // Before anything can load a DLL: DLLs come from the system folder only, never from the
  // program's own folder or the current one, where other programs of the user can put some.
  (void)SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  // Never destroyed: worker threads translate until the process ends.
  static const kestro::app::WindowsLanguageSource& language_source =
      *new kestro::app::WindowsLanguageSource;
  kestro::install_language_source(language_source);
  // Held until the process ends, whatever it ends with: an installer waits for it to go.
  const kestro::UniqueHandle running = kestro::app::hold_running_mutex();

  const std::vector<std::string> arguments = command_line_arguments();
  if (kestro::app::has_unregister_switch(arguments)) {
    kestro::app::RegistrySettings{}.remove_all();
    ExitProcess(0);
  }
  const bool printing =
      kestro::app::has_report_switch(arguments) || kestro::app::has_json_switch(arguments);
  // The window thread is a single-threaded apartment; a printing run probes on this thread,
  // multithreaded as the probe thread is. Never uninitialised: the process ends below.
  (void)CoInitializeEx(nullptr, printing ? COINIT_MULTITHREADED : COINIT_APARTMENTTHREADED);
  secure_raised_com(kestro::process_elevation());
  if (kestro::app::has_report_switch(arguments)) {
    print_facts(plain_text);
  } else if (printing) {
    print_facts(kestro::probe::json_document);
  } else {
    kestro::app::run_window_app(instance);
  }
  // Worker threads (probe, update check, download) may still run. Ending the process here
  // stops them before any static object is destroyed, where returning from WinMain would
  // destroy statics first, under their feet.
  ExitProcess(0);
}
