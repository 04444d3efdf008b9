// The COM session against the WMI service of the machine (or of Wine) that runs the tests.
// Expectations are about shapes and plausibility, not one machine's figures.

#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <string>
#include <thread>

#include "base/text.h"
#include "probe/format.h"
#include "wmi/wmi_com_win32.h"

namespace kestro::wmi {
namespace {

// The probe talks to WMI from a thread of its own in the multithreaded apartment; the test
// thread may already be single-threaded (window tests), so every test runs on such a thread.
void in_mta(const std::function<void()>& body) {
  std::thread worker([&] {
    const HRESULT init = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    ASSERT_TRUE(SUCCEEDED(init)) << std::hex << init;
    body();
    CoUninitialize();
  });
  worker.join();
}

bool under_wine() {
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

void expect_trimmed(const WmiValue& value, const char* what) {
  if (!value) return;
  EXPECT_FALSE(value->empty()) << what;
  EXPECT_EQ(trim(*value), *value) << what;
}

// A session as a run of its own on the steady clock.
std::unique_ptr<WmiSession> connect_run(std::string_view wmi_namespace) {
  return connect_wmi(wmi_namespace, std::make_shared<RunBudget>(steady_clock()));
}

bool all_digits(const std::string& text) {
  if (text.empty()) return false;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

TEST(WmiCom, ComputerSystemGivesOneRowOfFourValues) {
  in_mta([] {
    const auto session = connect_run("ROOT\\CIMV2");
    ASSERT_NE(session, nullptr);
    constexpr std::array<std::string_view, 4> kProperties = {
        "Manufacturer", "Model", "TotalPhysicalMemory", "PCSystemType"};
    const WmiResult result = query(*session, "Win32_ComputerSystem", kProperties);
    ASSERT_TRUE(result);
    ASSERT_EQ(result->size(), 1u);
    const WmiRow& row = result->front();
    ASSERT_EQ(row.size(), 4u);
    for (const WmiValue& value : row) expect_trimmed(value, "Win32_ComputerSystem");
    // A 64-bit byte count arrives as its decimal text.
    ASSERT_TRUE(row[2]);
    EXPECT_TRUE(all_digits(*row[2])) << *row[2];
    EXPECT_GT(parse_number(row[2]).value_or(0), 64u * 1024 * 1024);
    // A 16-bit enumeration converts to plain digits when the provider gives it.
    if (row[3]) EXPECT_TRUE(all_digits(*row[3])) << *row[3];
  });
}

TEST(WmiCom, ProcessorHasANameAndNumericCounts) {
  in_mta([] {
    const auto session = connect_run("ROOT\\CIMV2");
    ASSERT_NE(session, nullptr);
    constexpr std::array<std::string_view, 5> kProperties = {
        "Name", "NumberOfCores", "NumberOfLogicalProcessors", "MaxClockSpeed", "L3CacheSize"};
    const WmiResult result = query(*session, "Win32_Processor", kProperties);
    ASSERT_TRUE(result);
    ASSERT_GE(result->size(), 1u);
    for (const WmiRow& row : *result) {
      ASSERT_EQ(row.size(), 5u);
      ASSERT_TRUE(row[0]);
      expect_trimmed(row[0], "Name");
      for (std::size_t i = 1; i < row.size(); ++i) {
        if (row[i]) EXPECT_TRUE(all_digits(*row[i])) << kProperties[i] << " " << *row[i];
      }
      if (row[2]) EXPECT_GE(parse_number(row[2]).value_or(0), 1u);
    }
  });
}

TEST(WmiCom, OperatingSystemDatesAreCimDates) {
  in_mta([] {
    const auto session = connect_run("ROOT\\CIMV2");
    ASSERT_NE(session, nullptr);
    constexpr std::array<std::string_view, 5> kProperties = {
        "Caption", "Version", "BuildNumber", "OSArchitecture", "InstallDate"};
    const WmiResult result = query(*session, "Win32_OperatingSystem", kProperties);
    ASSERT_TRUE(result);
    ASSERT_EQ(result->size(), 1u);
    const WmiRow& row = result->front();
    ASSERT_TRUE(row[0]);
    EXPECT_NE(row[0]->find("Windows"), std::string::npos) << *row[0];
    if (row[2]) EXPECT_TRUE(all_digits(*row[2])) << *row[2];
    if (row[4]) EXPECT_TRUE(cim_date(row[4])) << *row[4];
  });
}

TEST(WmiCom, MissingPropertyIsAbsentAndTheRowKeepsItsShape) {
  in_mta([] {
    const auto session = connect_run("ROOT\\CIMV2");
    ASSERT_NE(session, nullptr);
    constexpr std::array<std::string_view, 3> kProperties = {"KestroNoSuchProperty", "Name",
                                                             "KestroOther"};
    const WmiResult result = session->query_text("SELECT * FROM Win32_Processor", kProperties);
    ASSERT_TRUE(result);
    ASSERT_GE(result->size(), 1u);
    const WmiRow& row = result->front();
    ASSERT_EQ(row.size(), 3u);
    EXPECT_FALSE(row[0]);
    EXPECT_TRUE(row[1]);
    EXPECT_FALSE(row[2]);
  });
}

TEST(WmiCom, UnknownClassGivesFailureOrNoRows) {
  in_mta([] {
    const auto session = connect_run("ROOT\\CIMV2");
    ASSERT_NE(session, nullptr);
    constexpr std::array<std::string_view, 1> kProperties = {"Name"};
    const WmiResult result = query(*session, "Win32_KestroNoSuchClass", kProperties);
    EXPECT_TRUE(!result || result->empty());
  });
}

TEST(WmiCom, LicensingQuery) {
  in_mta([] {
    const auto session = connect_run("ROOT\\CIMV2");
    ASSERT_NE(session, nullptr);
    constexpr std::array<std::string_view, 1> kProperties = {"LicenseStatus"};
    const WmiResult result = query(
        *session, "SoftwareLicensingProduct", kProperties,
        "ApplicationID='55c92734-d682-4d71-983e-d6ec3f16059f' AND PartialProductKey IS NOT NULL");
    if (under_wine()) {
      EXPECT_FALSE(result);  // Wine has no licensing provider
    } else {
      ASSERT_TRUE(result);
      for (const WmiRow& row : *result) {
        if (row[0]) EXPECT_TRUE(all_digits(*row[0])) << *row[0];
      }
    }
  });
}

TEST(WmiCom, StorageNamespaceConnects) {
  in_mta([] {
    const auto session = connect_run("ROOT\\Microsoft\\Windows\\Storage");
    ASSERT_NE(session, nullptr);
    constexpr std::array<std::string_view, 7> kProperties = {
        "DeviceId", "FriendlyName", "MediaType", "BusType", "Size", "HealthStatus", "__PATH"};
    const WmiResult result = query(*session, "MSFT_PhysicalDisk", kProperties);
    ASSERT_TRUE(result);
    if (under_wine()) EXPECT_TRUE(result->empty());
    for (const WmiRow& row : *result) EXPECT_EQ(row.size(), 7u);
  });
}

struct StoppedClock final : Clock {
  Milliseconds now() override { return Milliseconds(1000); }
};

TEST(WmiCom, ARunWhoseTimeIsUsedUpQueriesNothing) {
  in_mta([] {
    StoppedClock clock;
    constexpr std::array<std::string_view, 1> kProperties = {"Name"};
    for (const bool spent : {true, false}) {
      const auto session = connect_wmi(
          "ROOT\\CIMV2", std::make_shared<RunBudget>(clock, WaitLimits{Milliseconds(spent ? 0 : 60000)}));
      ASSERT_NE(session, nullptr);
      const WmiResult result = query(*session, "Win32_Processor", kProperties);
      EXPECT_EQ(result && !result->empty(), !spent);
    }
  });
}

TEST(WmiCom, UnknownNamespaceDoesNotConnect) {
  in_mta([] {
    EXPECT_EQ(connect_run("ROOT\\KestroNoSuchNamespace"), nullptr);
    EXPECT_EQ(connect_run(""), nullptr);
  });
}

}  // namespace
}  // namespace kestro::wmi
