// The maker's release tool: writes the update.json that Kestro accepts for one installer.
//
//   make_update_manifest <installer.exe> <version> <https-address> [<output-file>]
//
// It measures the installer and takes its SHA-256 digest (lower case), and applies Kestro's
// own rules to the version (1 to 32 bytes, digits and dots only) and the address (beginning
// with "https://"), refusing what Kestro would reject. The manifest goes to <output-file>, or
// to standard output. Before writing, the text is read back with Kestro's manifest parser and
// must give exactly the same values. Exit codes: 0 written, 1 refused or failed, 2 usage.

#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>

#include "app/updater/manifest.h"
#include "app/updater/sha256.h"
#include "base/utf8.h"
#include "base/version.h"

namespace {

int refuse(const std::string& why) {
  std::cerr << "make_update_manifest: " << why << "\n";
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4 && argc != 5) {
    std::cerr << "usage: make_update_manifest <installer.exe> <version> <https-address> [<output-file>]\n";
    return 2;
  }
  const std::string installer = argv[1];
  const std::string version = argv[2];
  const std::string url = argv[3];

  if (!kestro::updater::valid_manifest_version(version)) {
    return refuse("version \"" + version + "\" is not 1 to 32 bytes of digits and dots");
  }
  if (!kestro::updater::valid_installer_url(url)) {
    return refuse("address \"" + url + "\" does not begin with https://");
  }
  if (!kestro::is_valid_utf8(url)) return refuse("address is not UTF-8 text");

  std::ifstream in(installer, std::ios::binary);
  if (!in) return refuse("cannot open " + installer);
  std::ostringstream read;
  read << in.rdbuf();
  if (in.bad()) return refuse("cannot read " + installer);
  const std::string bytes = read.str();
  if (bytes.empty()) return refuse(installer + " is empty");
  if (bytes.size() > kestro::updater::kMaxInstallerBytes) {
    return refuse(installer + " is larger than Kestro downloads");
  }
  const std::optional<std::string> digest = kestro::updater::sha256_hex(bytes);
  if (!digest) return refuse("SHA-256 could not be computed");

  const kestro::updater::UpdateInfo info{version, url, *digest, bytes.size()};
  const std::string text = kestro::updater::write_manifest(info);
  if (kestro::updater::parse_manifest(text) != info) {
    return refuse("the written manifest does not read back the same");
  }
  if (!kestro::updater::is_newer(kestro::updater::parse_version(version),
                                 kestro::updater::parse_version(kestro::kVersion))) {
    std::cerr << "make_update_manifest: note: " << version << " is not newer than "
              << kestro::kVersion << "; Kestro " << kestro::kVersion << " will say it is up to date\n";
  }

  if (argc == 5) {
    std::ofstream out(argv[4], std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out) return refuse(std::string("cannot write ") + argv[4]);
  } else {
    std::fwrite(text.data(), 1, text.size(), stdout);
    if (std::fflush(stdout) != 0) return refuse("cannot write to standard output");
  }
  return 0;
}
