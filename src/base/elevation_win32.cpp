#include "base/elevation_win32.h"

#include <windows.h>

#include "base/handles_win32.h"

namespace kestro {

Elevation process_elevation() {
  HANDLE token_handle = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token_handle)) return Elevation::Unknown;
  const UniqueHandle token(token_handle);
  TOKEN_ELEVATION_TYPE type{};
  DWORD size = 0;
  if (!GetTokenInformation(token.get(), TokenElevationType, &type, sizeof type, &size)) {
    return Elevation::Unknown;
  }
  switch (type) {
    case TokenElevationTypeLimited: return Elevation::Limited;
    case TokenElevationTypeDefault: return Elevation::Default;
    case TokenElevationTypeFull: return Elevation::Full;
  }
  return Elevation::Unknown;
}

}  // namespace kestro
