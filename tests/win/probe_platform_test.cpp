// The probe's platform reads against Wine's registry, DXGI, display configuration, drives and
// battery interfaces, and the hand-over of a whole probe run to a real window.

#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>

#include <ctime>
#include <thread>

#include "app/window/messages_win32.h"
#include "base/handles_win32.h"
#include "probe/platform_win32.h"
#include "probe/probe_slot.h"
#include "probe/probe_thread_win32.h"
#include "probe/windows_section.h"

namespace kestro::probe {
namespace {

constexpr const wchar_t* kVersionKey = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
constexpr std::string_view kVersionPath = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";

TEST(WindowsProbePlatform, GraphicsAdaptersListWineAdapterWithMemory) {
  const ComApartment com(COINIT_MULTITHREADED);
  WindowsProbePlatform platform;
  const std::vector<GraphicsAdapter> adapters = platform.graphics_adapters();
  ASSERT_FALSE(adapters.empty());
  EXPECT_FALSE(adapters.front().name.empty());
  EXPECT_NE(adapters.front().dedicated_video_memory, 0u);
  EXPECT_EQ(adapters.front().name.find('\0'), std::string::npos);
}

TEST(WindowsProbePlatform, DisplayConfigGivesScreenSizeThroughSourceMode) {
  WindowsProbePlatform platform;
  const std::optional<DisplayConfig> config = platform.display_config();
  ASSERT_TRUE(config.has_value());
  ASSERT_EQ(config->paths.size(), 1u);
  const DisplayPath& path = config->paths.front();
  ASSERT_LT(path.source_mode_index, config->modes.size());
  const DisplayMode& mode = config->modes[path.source_mode_index];
  EXPECT_EQ(mode.info_type, 1u);
  EXPECT_EQ(mode.width, static_cast<std::uint32_t>(GetSystemMetrics(SM_CXSCREEN)));
  EXPECT_EQ(mode.height, static_cast<std::uint32_t>(GetSystemMetrics(SM_CYSCREEN)));
  ASSERT_TRUE(path.friendly_name.has_value());
  EXPECT_FALSE(path.friendly_name->empty());
}

TEST(WindowsProbePlatform, DriveCIsFixedWithSpace) {
  WindowsProbePlatform platform;
  const std::uint32_t mask = platform.logical_drive_mask();
  ASSERT_NE(mask & (1u << 2), 0u);
  EXPECT_TRUE(platform.is_fixed_drive('C'));
  const std::optional<DriveSpace> space = platform.drive_space('C');
  ASSERT_TRUE(space.has_value());
  EXPECT_NE(space->total, 0u);
  EXPECT_LE(space->total_free, space->total);
  // A letter without a drive is neither fixed nor readable.
  char missing = 0;
  for (char letter = 'Y'; letter > 'C'; --letter) {
    if ((mask & (1u << (letter - 'A'))) == 0) {
      missing = letter;
      break;
    }
  }
  ASSERT_NE(missing, 0);
  EXPECT_FALSE(platform.is_fixed_drive(missing));
  EXPECT_FALSE(platform.drive_space(missing).has_value());
}

TEST(WindowsProbePlatform, NoBatteriesButReadablePowerStatus) {
  WindowsProbePlatform platform;
  EXPECT_TRUE(platform.batteries().empty());
  const std::optional<PowerStatus> status = platform.power_status();
  ASSERT_TRUE(status.has_value());
}

// Sets (or with `type` REG_NONE deletes) a value under the version key.
void set_version_value(const wchar_t* name, DWORD type, const void* data, DWORD bytes) {
  if (type == REG_NONE) {
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kVersionKey, name);
    return;
  }
  ASSERT_EQ(RegSetKeyValueW(HKEY_LOCAL_MACHINE, kVersionKey, name, type, data, bytes),
            ERROR_SUCCESS);
}

// The day of the local clock, as the C library sees it too.
TEST(WindowsProbePlatform, LocalDateIsToday) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  ASSERT_EQ(localtime_s(&local, &now), 0);
  EXPECT_EQ(WindowsProbePlatform().local_date(),
            (Date{static_cast<std::uint16_t>(local.tm_year + 1900),
                  static_cast<std::uint8_t>(local.tm_mon + 1), static_cast<std::uint8_t>(local.tm_mday)}));
}

TEST(WindowsProbePlatform, VersionValuesFromRegistry) {
  WindowsProbePlatform platform;
  // A fresh prefix has neither value.
  const WindowsFacts fresh = read_windows(nullptr, platform);
  EXPECT_EQ(fresh.display_version, "");
  EXPECT_FALSE(fresh.ubr.has_value());

  struct Case {
    const char* name;
    std::wstring display_version;  // stored with its terminating NUL
    DWORD display_type;
    DWORD ubr;
    DWORD ubr_type;
    std::string expected_version;
    std::optional<std::uint32_t> expected_ubr;
  };
  const Case cases[] = {
      {"both present", L"24H2", REG_SZ, 1234, REG_DWORD, "24H2", 1234u},
      {"not trimmed", L" 23H2 ", REG_SZ, 0, REG_DWORD, " 23H2 ", 0u},
      {"up to the first NUL", std::wstring(L"24H2\0junk", 9), REG_SZ, 4294967295u, REG_DWORD,
       "24H2", 4294967295u},
      {"wrong types count as missing", L"24H2", REG_BINARY, 7, REG_QWORD, "", std::nullopt},
  };
  for (const Case& c : cases) {
    set_version_value(L"DisplayVersion", c.display_type, c.display_version.c_str(),
                      static_cast<DWORD>((c.display_version.size() + 1) * sizeof(wchar_t)));
    set_version_value(L"UBR", c.ubr_type, &c.ubr, sizeof(c.ubr));
    const WindowsFacts values = read_windows(nullptr, platform);
    EXPECT_EQ(values.display_version, c.expected_version) << c.name;
    EXPECT_EQ(values.ubr, c.expected_ubr) << c.name;
  }
  // The generic read gives a value of either type as that type, and nothing for another type,
  // a missing value or a missing key.
  const DWORD number = 26100;
  set_version_value(L"DisplayVersion", REG_DWORD, &number, sizeof(number));
  EXPECT_EQ(platform.registry_value(RegistryHive::LocalMachine, kVersionPath, "DisplayVersion"),
            std::optional<RegistryValue>(26100u));
  EXPECT_EQ(read_windows(nullptr, platform).display_version, "");
  EXPECT_EQ(platform.registry_value(RegistryHive::LocalMachine, kVersionPath, "UBR"),
            std::nullopt);  // still a REG_QWORD
  set_version_value(L"UBR", REG_SZ, L"7", 2 * sizeof(wchar_t));
  EXPECT_EQ(platform.registry_value(RegistryHive::LocalMachine, kVersionPath, "UBR"),
            std::optional<RegistryValue>(std::string("7")));
  EXPECT_EQ(platform.registry_value(RegistryHive::LocalMachine, kVersionPath, "NoSuchValue"),
            std::nullopt);
  EXPECT_EQ(platform.registry_value(RegistryHive::CurrentUser, kVersionPath, "UBR"), std::nullopt);
  EXPECT_EQ(platform.registry_value(RegistryHive::LocalMachine, "SOFTWARE\\KestroNoSuchKey", "UBR"),
            std::nullopt);
  set_version_value(L"DisplayVersion", REG_NONE, nullptr, 0);
  set_version_value(L"UBR", REG_NONE, nullptr, 0);
  EXPECT_FALSE(read_windows(nullptr, platform).ubr.has_value());
}

TEST(ComApartment, EntersTheApartmentAndLeavesAForeignOneAlone) {
  std::thread([] {
    {
      const ComApartment com(COINIT_MULTITHREADED);
      EXPECT_TRUE(com.initialised());
      // The thread is now in the multithreaded apartment: a single-threaded one is refused.
      EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), RPC_E_CHANGED_MODE);
      EXPECT_NE(WindowsProbePlatform{}.connect("ROOT\\CIMV2"), nullptr);
    }
    // Left again: the thread may now choose any apartment.
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
    CoUninitialize();
  }).join();
  std::thread([] {
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
    {
      const ComApartment com(COINIT_MULTITHREADED);  // refused: the thread has its own
      EXPECT_FALSE(com.initialised());
    }  // and the owner's initialisation is not undone
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_FALSE);
    CoUninitialize();
    CoUninitialize();
  }).join();
}

TEST(ProbeThread, ReportIsInSlotWhenMessageArrives) {
  const HINSTANCE module = GetModuleHandleW(nullptr);
  WNDCLASSW window_class{};
  window_class.lpfnWndProc = DefWindowProcW;
  window_class.hInstance = module;
  window_class.lpszClassName = L"KestroProbeThreadTest";
  RegisterClassW(&window_class);
  const HWND window = CreateWindowExW(0, window_class.lpszClassName, L"", 0, 0, 0, 0, 0,
                                      HWND_MESSAGE, nullptr, module, nullptr);
  ASSERT_NE(window, nullptr);
  const SharedSlot<ProbeOutcome> slot = std::make_shared<ProbeSlot>();
  ASSERT_TRUE(start_probe_thread(slot, PostTo{window, app::WM_APP_PROBE_DONE}));
  const UINT_PTR deadline = SetTimer(window, 1, 120000, nullptr);
  ASSERT_NE(deadline, 0u);
  bool arrived = false;
  MSG msg{};
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (msg.hwnd == window && msg.message == app::WM_APP_PROBE_DONE) {
      EXPECT_EQ(msg.wParam, 0u);
      EXPECT_EQ(msg.lParam, 0);
      arrived = true;
      break;
    }
    if (msg.hwnd == window && msg.message == WM_TIMER) break;
    DispatchMessageW(&msg);
  }
  KillTimer(window, 1);
  DestroyWindow(window);
  UnregisterClassW(window_class.lpszClassName, module);

  ASSERT_TRUE(arrived) << "no probe message within two minutes";
  const std::optional<ProbeOutcome> outcome = slot->take();
  ASSERT_TRUE(outcome.has_value() && outcome->report.has_value());
  const std::optional<Report>& report = outcome->report;
  EXPECT_FALSE(report->title.empty());
  ASSERT_FALSE(report->sections.empty());
  EXPECT_EQ(report->sections.front().kind, SectionKind::Summary);
  bool has_displays = false;
  for (const Section& section : report->sections) {
    has_displays = has_displays || section.kind == SectionKind::Displays;
  }
  EXPECT_TRUE(has_displays);
  EXPECT_FALSE(slot->take().has_value());
}

}  // namespace
}  // namespace kestro::probe
