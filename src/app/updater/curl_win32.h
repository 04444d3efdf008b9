#pragma once
// Every transfer of the updater: the system's curl.exe, run and watched.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestro::updater {

// Runs curl.exe from the system directory (GetSystemDirectoryW, never an environment
// variable) with curl_arguments(), without a console window, inside a job object that ends it
// when Kestro ends, and waits for it without a time limit, measuring `destination` about four
// times a second: past `max_bytes` curl is ended. Nothing when it exited with 0; "Download
// failed" for any other exit code or a stopped transfer; the system error text when it could
// not be started or waited for.
std::optional<std::string> fetch_with_curl(std::string_view url, std::string_view destination,
                                           std::uint64_t max_bytes);

}  // namespace kestro::updater
