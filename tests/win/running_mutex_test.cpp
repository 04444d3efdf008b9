// The mutex every running Kestro holds, read back as the system keeps it: the user's own
// token, which an installer runs with, may wait on it whichever copy made it. (This Wine lets
// any token open it, so the descriptor itself is what is checked.)

#include <gtest/gtest.h>

#include <windows.h>
#include <aclapi.h>

#include <vector>

#include "app/running_mutex_win32.h"
#include "base/utf16_win32.h"
#include "base/version.h"

namespace kestro::app {
namespace {

std::vector<std::uint64_t> token_user() {
  HANDLE token = nullptr;
  OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token);
  DWORD size = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  std::vector<std::uint64_t> user((size + 7) / 8);
  GetTokenInformation(token, TokenUser, user.data(), size, &size);
  CloseHandle(token);
  return user;
}

TEST(RunningMutex, TheUsersOwnTokenMayWaitOnIt) {
  const UniqueHandle held = hold_running_mutex();
  ASSERT_TRUE(held.valid());
  const UniqueHandle second = hold_running_mutex();  // another copy opens the same one
  ASSERT_TRUE(second.valid());
  EXPECT_EQ(WaitForSingleObject(second.get(), 0), static_cast<DWORD>(WAIT_OBJECT_0));
  ReleaseMutex(second.get());

  const UniqueHandle reader(OpenMutexW(READ_CONTROL, FALSE, to_wide(kRunningMutexName).c_str()));
  ASSERT_TRUE(reader.valid());
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  ASSERT_EQ(GetSecurityInfo(reader.get(), SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                            nullptr, &dacl, nullptr, &descriptor),
            static_cast<DWORD>(ERROR_SUCCESS));
  ASSERT_NE(dacl, nullptr);
  const std::vector<std::uint64_t> user = token_user();
  const PSID sid = reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid;
  ACCESS_MASK granted = 0;
  for (DWORD i = 0; i < dacl->AceCount; ++i) {
    void* ace = nullptr;
    if (!GetAce(dacl, i, &ace)) continue;
    const auto* allowed = static_cast<const ACCESS_ALLOWED_ACE*>(ace);
    if (allowed->Header.AceType == ACCESS_ALLOWED_ACE_TYPE &&
        EqualSid(const_cast<DWORD*>(&allowed->SidStart), sid)) {
      granted |= allowed->Mask;
    }
  }
  LocalFree(descriptor);
  EXPECT_EQ(granted & SYNCHRONIZE, static_cast<ACCESS_MASK>(SYNCHRONIZE));
  EXPECT_EQ(granted & ~(SYNCHRONIZE | MUTANT_QUERY_STATE), 0u);  // and nothing more
}

}  // namespace
}  // namespace kestro::app
