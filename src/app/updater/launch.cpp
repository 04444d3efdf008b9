#include "app/updater/launch.h"

#include "app/updater/manifest.h"
#include "i18n/product.h"

namespace kestro::updater {

std::string join_path(std::string_view directory, std::string_view name) {
  std::string path(directory);
  if (!path.empty() && path.back() != '\\' && path.back() != '/') path += '\\';
  path += name;
  return path;
}

namespace {
constexpr std::string_view kInstallerInfix = "-Setup-";
constexpr std::string_view kExeSuffix = ".exe";
}  // namespace

std::string installer_file_name(std::string_view version) {
  std::string name(kProductName);
  name += kInstallerInfix;
  name += version;
  name += kExeSuffix;
  return name;
}

bool is_installer_file_name(std::string_view name) {
  const std::size_t head = kProductName.size() + kInstallerInfix.size();
  return name.size() >= head + kExeSuffix.size() && name.starts_with(kProductName) &&
         name.substr(kProductName.size(), kInstallerInfix.size()) == kInstallerInfix &&
         name.ends_with(kExeSuffix);
}

std::optional<std::string> curl_path(std::string_view system_directory) {
  const bool drive = system_directory.size() >= 3 && system_directory[1] == ':' &&
                     (system_directory[2] == '\\' || system_directory[2] == '/') &&
                     ((system_directory[0] >= 'A' && system_directory[0] <= 'Z') ||
                      (system_directory[0] >= 'a' && system_directory[0] <= 'z'));
  const bool unc = system_directory.starts_with("\\\\");
  if (!drive && !unc) return std::nullopt;
  return join_path(system_directory, "curl.exe");
}

std::vector<std::string> curl_arguments(std::string_view url, std::string_view destination,
                                        std::uint64_t max_bytes) {
  return {"-q",     "--globoff",  "--max-filesize", std::to_string(max_bytes),
          "-fsSL",  "--proto",    "=https",         "--max-time",
          "600",    "-o",         std::string(destination), std::string(url)};
}

std::string quote_argument(std::string_view argument) {
  if (!argument.empty() && argument.find_first_of(" \t\n\v\"") == std::string_view::npos) {
    return std::string(argument);
  }
  std::string quoted = "\"";
  std::size_t backslashes = 0;
  for (const char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    if (c == '"') {
      quoted.append(2 * backslashes + 1, '\\');
    } else {
      quoted.append(backslashes, '\\');
    }
    backslashes = 0;
    quoted += c;
  }
  quoted.append(2 * backslashes, '\\');  // they stand before the closing quote
  quoted += '"';
  return quoted;
}

std::optional<std::string> command_line(std::string_view program,
                                        const std::vector<std::string>& arguments) {
  if (program.find('\0') != std::string_view::npos) return std::nullopt;
  // The program name is read by simpler rules (up to the next quote), so it is always quoted
  // and never escaped; a Windows path cannot hold a double quote.
  if (program.find('"') != std::string_view::npos) return std::nullopt;
  std::string line = "\"";
  line += program;
  line += '"';
  for (const std::string& argument : arguments) {
    if (argument.find('\0') != std::string::npos) return std::nullopt;
    line += ' ';
    line += quote_argument(argument);
  }
  return line;
}

std::string installer_command_line(std::string_view installer_path) {
  std::string line = "\"";
  line += installer_path;
  line += '"';
  for (const std::string_view option : kInstallerSwitches) {
    line += ' ';
    line += option;
  }
  return line;
}

}  // namespace kestro::updater
