#include "app/running_mutex_win32.h"

#include <windows.h>
#include <sddl.h>

#include <optional>
#include <string>
#include <vector>

#include "base/trace_win32.h"
#include "base/utf16_win32.h"
#include "base/version.h"

namespace kestro::app {
namespace {

// The SID of the user this process runs as, in its text form ("S-1-5-21-…").
std::optional<std::wstring> user_sid() {
  HANDLE raw = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) return std::nullopt;
  const UniqueHandle token(raw);
  DWORD size = 0;
  (void)GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
  if (size == 0) return std::nullopt;
  std::vector<std::uint64_t> buffer((size + 7) / 8);  // aligned for the structure
  if (!GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size)) return std::nullopt;
  wchar_t* text = nullptr;
  if (!ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text)) {
    return std::nullopt;
  }
  std::wstring sid(text);
  LocalFree(text);
  return sid;
}

// SYSTEM and Administrators may do anything; the user may wait on it (and ask its state),
// whatever token it runs with; the medium label lets the user's normal token open it when an
// elevated copy made it.
std::optional<std::wstring> running_mutex_sddl() {
  const std::optional<std::wstring> sid = user_sid();
  if (!sid) return std::nullopt;
  return L"D:(A;;GA;;;SY)(A;;GA;;;BA)(A;;0x00100001;;;" + *sid + L")S:(ML;;NW;;;ME)";
}

}  // namespace

UniqueHandle hold_running_mutex() {
  const std::wstring name = to_wide(kRunningMutexName);
  SECURITY_ATTRIBUTES attributes{sizeof(SECURITY_ATTRIBUTES), nullptr, FALSE};
  const std::optional<std::wstring> sddl = running_mutex_sddl();
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!sddl || !ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl->c_str(), SDDL_REVISION_1,
                                                                     &descriptor, nullptr)) {
    // The system's default security still serves a copy with the user's own rights.
    trace_failure("Describing the running mutex's security", HRESULT_FROM_WIN32(GetLastError()));
  }
  attributes.lpSecurityDescriptor = descriptor;
  // Only the right to wait: a copy with the user's normal rights opens one an elevated copy
  // made, and holding a handle keeps the mutex alive.
  UniqueHandle mutex(CreateMutexExW(&attributes, name.c_str(), 0, SYNCHRONIZE));
  if (!mutex.valid()) trace_failure("CreateMutexExW " + std::string(kRunningMutexName), HRESULT_FROM_WIN32(GetLastError()));
  if (descriptor != nullptr) LocalFree(descriptor);
  return mutex;
}

}  // namespace kestro::app
