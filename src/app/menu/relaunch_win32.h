#pragma once
// Starting this program again with administrator rights.

#include <windows.h>

#include <optional>
#include <string>

namespace kestro::app {

// The full path of the running executable, whatever its length; nothing when it cannot be had.
std::optional<std::wstring> own_executable_path();

// Starts `program` through the elevation prompt ("runas"), owned by `window`. When it started,
// destroys `window` (without its close handling, so the placement is not saved) and returns
// true; when the user declined or the start failed, nothing changes and it returns false.
bool relaunch_elevated(HWND window, const std::wstring& program);

}  // namespace kestro::app
