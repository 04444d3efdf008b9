#pragma once
// What the update check and the download ask of the operating system. The Windows adapter
// runs curl.exe, reads files and asks WinVerifyTrust; tests give scripted answers.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/updater/sha256.h"

namespace kestro::updater {

// A text, or the message that says why there is none.
struct TextOrError {
  std::optional<std::string> text;
  std::string error;
};

// What a path is, looked at without following it when it is a link.
struct FolderFacts {
  bool exists = false;
  bool directory = false;
  bool reparse_point = false;  // a junction, a symbolic link or another redirection
};

// An open file that nobody can change, replace, rename or delete while this object lives (on
// Windows a handle that denies write and delete sharing). Everything about the file is read
// through it, never again by its name. Dropping it closes the file.
class HeldFile {
 public:
  virtual ~HeldFile() = default;
  // The file's length; nothing on failure (then error()).
  virtual std::optional<std::uint64_t> size() = 0;
  // The next bytes into `buffer`: how many (0 at the end); nothing on failure (then error()).
  virtual std::optional<std::size_t> read(std::span<char> buffer) = 0;
  // The system error text of the last failure.
  virtual std::string error() const = 0;
};

struct HeldOpen {
  std::unique_ptr<HeldFile> file;  // null on failure
  std::string error;               // the system error text on failure
};

// What the signature check of one file found.
struct SignatureReading {
  std::int32_t trust = -1;  // WinVerifyTrust's result; only 0 is a valid signature
  std::optional<std::string> signer;  // the signing certificate's simple display name
  std::int32_t close = 0;   // the result of releasing the verification state (not judged)
  // The signer's SpcSpOpusInfo attribute as encoded (DER): it carries the program name the
  // signature was made for. Nothing when the signature has none.
  std::optional<std::string> opus_info;
  // The result of verifying once more with every certificate of the chain checked for
  // revocation; nothing when it was not asked (the signature was not valid).
  std::optional<std::int32_t> revocation;
};

// What a file's version resource says.
struct VersionResource {
  std::vector<std::uint32_t> file_version;  // the fixed file version's four numbers
  std::optional<std::string> product_name;  // ProductName of its first language that has one
};

class UpdaterPlatform {
 public:
  virtual ~UpdaterPlatform() = default;

  // The working directory (the temporary directory joined with "Kestro"), created with its
  // parents if possible; the system error text when there is no temporary directory.
  virtual TextOrError working_directory() = 0;
  virtual FolderFacts folder_facts(std::string_view path) = 0;
  // The names of the files in `directory` that match `pattern` ("Kestro-Setup-*.exe").
  virtual std::vector<std::string> files_matching(std::string_view directory,
                                                  std::string_view pattern) = 0;
  // Waits `milliseconds` on the calling (worker) thread.
  virtual void pause(std::uint32_t milliseconds) = 0;

  // Fetches `url` into `destination` with the system's curl.exe, at most `max_bytes`: a
  // transfer that writes more is stopped, whatever the server said of its length. Nothing on
  // success, else "Download failed" (curl ran and failed, or was stopped) or the system error
  // text (it could not be run).
  virtual std::optional<std::string> fetch(std::string_view url, std::string_view destination,
                                           std::uint64_t max_bytes) = 0;
  // The file's first `max_bytes` + 1 bytes at most (so a longer file shows as longer); the
  // system error text when it cannot be opened or read.
  virtual TextOrError read_file(std::string_view path, std::uint64_t max_bytes) = 0;
  // Opens the file once and holds it.
  virtual HeldOpen open_held(std::string_view path) = 0;
  virtual std::unique_ptr<Sha256> sha256() = 0;
  // The Authenticode signature of the held file (`path` names it for the signature check).
  virtual SignatureReading read_signature(HeldFile& file, std::string_view path) = 0;
  // The held file's version resource; nothing when it has none or it cannot be read.
  virtual std::optional<VersionResource> version_resource(HeldFile& file) = 0;
  // Deletes the file. False when it is still there (in use, no rights); a file that did not
  // exist is gone.
  virtual bool delete_file(std::string_view path) = 0;
  // Deletes the file only when no process has it open (it is opened for deletion, sharing
  // nothing). False when it is still there; a file that did not exist is gone.
  virtual bool delete_unused(std::string_view path) = 0;
};

}  // namespace kestro::updater
