#pragma once
// Failures that would otherwise vanish, one line each through OutputDebugStringW: a debug
// viewer shows them on Windows, Wine's debug channel (WINEDEBUG=+debugstr) under Wine. Called
// on failure paths only, never on every frame or message.

#include <windows.h>

#include <string_view>

#include "base/trace.h"
#include "base/utf16_win32.h"

namespace kestro {

// Never throws: a trace that cannot be written (no memory) is left out.
inline void trace_line(std::string_view line) noexcept {
  try {
    OutputDebugStringW(to_wide(std::string(line) + "\n").c_str());
  } catch (...) {
  }
}

// Writes "<what> failed (0x...)" and gives `hr` back, so a return can pass it on.
inline HRESULT trace_failure(std::string_view what, HRESULT hr) noexcept {
  try {
    trace_line(failure_line(what, static_cast<std::uint32_t>(hr)));
  } catch (...) {
  }
  return hr;
}

// The same, once per code at `site` (see FailureSite); a call that succeeds there says so with
// site.succeeded().
inline HRESULT trace_failure(FailureSite& site, std::string_view what, HRESULT hr) noexcept {
  if (site.first(static_cast<std::uint32_t>(hr))) trace_failure(what, hr);
  return hr;
}

// A result at `site`: success clears it, a failure is traced the first time it comes.
inline HRESULT trace_result(FailureSite& site, std::string_view what, HRESULT hr) noexcept {
  if (SUCCEEDED(hr)) {
    site.succeeded();
    return hr;
  }
  return trace_failure(site, what, hr);
}

inline void trace_failure(std::string_view what, std::string_view detail) noexcept {
  try {
    trace_line(failure_line(what, detail));
  } catch (...) {
  }
}

}  // namespace kestro
