// Kestro.exe's version information as Explorer and inventory tools read it. The test runs
// with KESTRO_EXE naming the built program (ctest sets it).

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "base/utf16_win32.h"
#include "base/version.h"

namespace kestro {
namespace {

std::string string_value(const std::vector<BYTE>& block, const wchar_t* name) {
  const std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
  void* text = nullptr;
  UINT units = 0;
  if (!VerQueryValueW(block.data(), path.c_str(), &text, &units) || text == nullptr) return "<none>";
  return from_wide_up_to_nul(static_cast<const wchar_t*>(text), units);
}

TEST(VersionResource, KestroExeNamesItsProductVersionAndMaker) {
  const char* exe = std::getenv("KESTRO_EXE");
  ASSERT_NE(exe, nullptr) << "KESTRO_EXE is not set";
  const std::wstring path = to_wide(exe);
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  ASSERT_NE(size, 0u) << "no version information in " << exe;
  std::vector<BYTE> block(size);
  ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, block.data()));

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT fixed_size = 0;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixed_size));
  const DWORD ms = (KESTRO_VERSION_MAJOR << 16) | KESTRO_VERSION_MINOR;
  const DWORD ls = static_cast<DWORD>(KESTRO_VERSION_PATCH) << 16;
  EXPECT_EQ(fixed->dwFileVersionMS, ms);
  EXPECT_EQ(fixed->dwFileVersionLS, ls);
  EXPECT_EQ(fixed->dwProductVersionMS, ms);
  EXPECT_EQ(fixed->dwProductVersionLS, ls);
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

  const std::string quad = std::string(kVersion) + ".0";
  EXPECT_EQ(quad, "0.1.0.0");
  EXPECT_EQ(string_value(block, L"FileVersion"), quad);
  EXPECT_EQ(string_value(block, L"ProductVersion"), quad);
  EXPECT_EQ(string_value(block, L"ProductName"), "Kestro");
  EXPECT_EQ(string_value(block, L"CompanyName"), "Lumwerk");
  EXPECT_EQ(string_value(block, L"OriginalFilename"), "Kestro.exe");
  EXPECT_NE(string_value(block, L"FileDescription"), "<none>");
  EXPECT_NE(string_value(block, L"LegalCopyright"), "<none>");
}

}  // namespace
}  // namespace kestro
