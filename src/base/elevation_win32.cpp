#include "base/elevation_win32.h"

#include <windows.h>
#include <sddl.h>

#include <optional>
#include <string>

#include "base/handles_win32.h"
#include "base/utf16_win32.h"

namespace kestro {
namespace {

std::optional<std::string> token_user(HANDLE token) {
  DWORD size = 0;
  (void)GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  if (size == 0) return std::nullopt;
  std::string buffer(size, '\0');
  if (!GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) return std::nullopt;
  const auto* user = reinterpret_cast<const TOKEN_USER*>(buffer.data());
  LPWSTR text = nullptr;
  if (!ConvertSidToStringSidW(user->User.Sid, &text)) return std::nullopt;
  std::string sid = from_wide(text);
  LocalFree(text);
  return sid;
}

}  // namespace

Elevation process_elevation() {
  HANDLE token_handle = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token_handle)) return Elevation::Unknown;
  const UniqueHandle token(token_handle);
  TokenFacts facts;
  TOKEN_ELEVATION_TYPE type{};
  DWORD size = 0;
  if (GetTokenInformation(token.get(), TokenElevationType, &type, sizeof type, &size)) {
    switch (type) {
      case TokenElevationTypeLimited: facts.split = TokenSplit::Limited; break;
      case TokenElevationTypeDefault: facts.split = TokenSplit::Default; break;
      case TokenElevationTypeFull: facts.split = TokenSplit::Full; break;
    }
  }
  TOKEN_ELEVATION elevation{};
  if (GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof elevation, &size)) {
    facts.elevated = elevation.TokenIsElevated != 0;
  }
  const std::optional<std::string> user = token_user(token.get());
  if (user) facts.user = *user;
  return elevation_of(facts);
}

}  // namespace kestro
