#pragma once
// What the update check and the download ask of the operating system. The Windows adapter
// runs curl.exe, reads files and asks WinVerifyTrust; tests give scripted answers.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace kestro::updater {

// A text, or the message that says why there is none.
struct TextOrError {
  std::optional<std::string> text;
  std::string error;
};

// An open file that nobody can change, replace or delete while this object lives (on Windows
// a handle that denies write and delete sharing). Dropping it closes the file.
class HeldFile {
 public:
  virtual ~HeldFile() = default;
};

// A file read through the handle that keeps holding it.
struct HeldRead {
  std::unique_ptr<HeldFile> file;  // null on failure
  std::string bytes;
  std::string error;               // the system error text on failure
};

// What the signature check of one file found.
struct SignatureReading {
  std::int32_t trust = -1;  // WinVerifyTrust's result; only 0 is a valid signature
  std::optional<std::string> signer;  // the signing certificate's simple display name
  std::int32_t close = 0;   // the result of releasing the verification state (not judged)
};

class UpdaterPlatform {
 public:
  virtual ~UpdaterPlatform() = default;

  // The working directory (the temporary directory joined with "Kestro"), created with its
  // parents if possible; the system error text when there is no temporary directory.
  virtual TextOrError working_directory() = 0;
  // Fetches `url` into `destination` with the system's curl.exe. Nothing on success, else
  // "Download failed" (curl ran and failed) or the system error text (it could not be run).
  virtual std::optional<std::string> fetch(std::string_view url, std::string_view destination) = 0;
  // The whole file; the system error text when it cannot be opened or read.
  virtual TextOrError read_file(std::string_view path) = 0;
  // Opens the file once, holds it and reads it whole through that handle.
  virtual HeldRead read_held(std::string_view path) = 0;
  // SHA-256 as 64 lower-case hexadecimal digits; nothing when it could not be computed.
  virtual std::optional<std::string> sha256_hex(std::string_view bytes) = 0;
  virtual SignatureReading read_signature(std::string_view path) = 0;
  // Deletes the file; a failure is ignored.
  virtual void delete_file(std::string_view path) = 0;
};

}  // namespace kestro::updater
