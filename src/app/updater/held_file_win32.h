#pragma once
// A downloaded installer held open while it is verified and started: nobody may write, rename
// or delete it meanwhile, and everything about it is read through the handle, its version
// resource included.

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "app/updater/platform.h"
#include "base/handles_win32.h"

namespace kestro::updater {

class HeldHandle final : public HeldFile {
 public:
  explicit HeldHandle(UniqueHandle handle) : handle_(std::move(handle)) {}

  HANDLE get() const { return handle_.get(); }

  std::optional<std::uint64_t> size() override;
  std::optional<std::size_t> read(std::span<char> buffer) override;
  std::string error() const override { return error_; }

 private:
  std::nullopt_t failed();

  UniqueHandle handle_;
  std::string error_;
};

// Opens `path` for reading, sharing only reading, and holds it.
HeldOpen open_held_file(std::string_view path);

// The path the file behind `handle` has now, with every link and junction resolved
// ("\\?\C:\..."); nothing when it cannot be told.
std::optional<std::wstring> final_path(HANDLE handle);
// The file `path` leads to now, opened only to ask where it is.
std::optional<std::wstring> final_path_of(std::string_view path);

// The held file's version resource: its fixed file version and its product name. Nothing for
// a file that is not held here or has no readable fixed version.
std::optional<VersionResource> held_version_resource(HeldFile& file);

}  // namespace kestro::updater
