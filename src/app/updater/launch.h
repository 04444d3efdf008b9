#pragma once
// File names and command lines of the updater's child processes: the system's curl.exe for
// every transfer, and the downloaded installer.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "i18n/product.h"

namespace kestro::updater {

// The working directory's name inside the temporary directory, and the manifest's file name.
inline constexpr std::string_view kDirectoryName = kProductName;
inline constexpr std::string_view kManifestFileName = "update.json";

// `directory` and `name` joined with one backslash.
std::string join_path(std::string_view directory, std::string_view name);
// "Kestro-Setup-<version>.exe".
std::string installer_file_name(std::string_view version);
// Whether `name` is such a name, whatever stands for the version (the system's "*" pattern
// also matches short 8.3 names, which this does not).
bool is_installer_file_name(std::string_view name);

// The most a manifest may hold; curl stops a longer one and the check reads no further.
inline constexpr std::uint64_t kManifestMaxBytes = 64 * 1024;

// curl.exe in the system directory (as GetSystemDirectoryW gives it). Nothing unless that is
// an absolute path ("X:\..." or "\\server\..."): a relative one would be looked up in
// whatever folder is current.
std::optional<std::string> curl_path(std::string_view system_directory);
// The transfer's arguments after the program name: "-q" first, so no user configuration file
// is read; "--globoff", so brackets and braces in an address are not patterns; at most
// `max_bytes`; then fail on HTTP errors, no progress but errors shown, redirects followed,
// HTTPS only (also for redirects), at most 600 s, the body written to `destination`.
std::vector<std::string> curl_arguments(std::string_view url, std::string_view destination,
                                        std::uint64_t max_bytes);

// One argument as the standard Windows rules (CommandLineToArgvW, the C runtime) read it
// back: quoted when empty or holding a blank, tab, line feed or double quote; a quote is
// escaped with a backslash and backslashes before a quote (or the closing quote) are doubled.
std::string quote_argument(std::string_view argument);
// The program path and the arguments, each quoted as needed, separated by one space.
// Nothing when any part holds a NUL (it would cut the command line short).
std::optional<std::string> command_line(std::string_view program,
                                        const std::vector<std::string>& arguments);

// The installer's four switches, in order.
inline constexpr std::string_view kInstallerSwitches[] = {"/SILENT", "/SUPPRESSMSGBOXES",
                                                          "/NORESTART", "/UPDATE=1"};
// "\"<path>\" /SILENT /SUPPRESSMSGBOXES /NORESTART /UPDATE=1".
std::string installer_command_line(std::string_view installer_path);

}  // namespace kestro::updater
