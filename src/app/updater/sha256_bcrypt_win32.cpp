#include <windows.h>
#include <bcrypt.h>

#include <algorithm>
#include <memory>

#include "app/updater/sha256.h"
#include "base/handles_win32.h"
#include "base/system_library_win32.h"

namespace kestro::updater {

namespace {

// bcrypt.dll from the system folder; a missing function fails as an unsupported request.
constexpr NTSTATUS kMissing = static_cast<NTSTATUS>(0xC00000BB);  // STATUS_NOT_SUPPORTED
const wchar_t* const kLibrary = L"bcrypt.dll";

NTSTATUS open_algorithm(BCRYPT_ALG_HANDLE* algorithm) {
  static const SystemFunction<NTSTATUS, BCRYPT_ALG_HANDLE*, LPCWSTR, LPCWSTR, ULONG> open(
      kLibrary, "BCryptOpenAlgorithmProvider", kMissing);
  return open(algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0);
}
NTSTATUS close_algorithm(BCRYPT_ALG_HANDLE algorithm) {
  static const SystemFunction<NTSTATUS, BCRYPT_ALG_HANDLE, ULONG> close(
      kLibrary, "BCryptCloseAlgorithmProvider", kMissing);
  return close(algorithm, 0);
}
NTSTATUS create_hash(BCRYPT_ALG_HANDLE algorithm, BCRYPT_HASH_HANDLE* hash) {
  static const SystemFunction<NTSTATUS, BCRYPT_ALG_HANDLE, BCRYPT_HASH_HANDLE*, PUCHAR, ULONG,
                              PUCHAR, ULONG, ULONG>
      create(kLibrary, "BCryptCreateHash", kMissing);
  return create(algorithm, hash, nullptr, 0, nullptr, 0, 0);
}
NTSTATUS hash_data(BCRYPT_HASH_HANDLE hash, PUCHAR data, ULONG size) {
  static const SystemFunction<NTSTATUS, BCRYPT_HASH_HANDLE, PUCHAR, ULONG, ULONG> add(
      kLibrary, "BCryptHashData", kMissing);
  return add(hash, data, size, 0);
}
NTSTATUS finish_hash(BCRYPT_HASH_HANDLE hash, PUCHAR digest, ULONG size) {
  static const SystemFunction<NTSTATUS, BCRYPT_HASH_HANDLE, PUCHAR, ULONG, ULONG> finish(
      kLibrary, "BCryptFinishHash", kMissing);
  return finish(hash, digest, size, 0);
}
NTSTATUS destroy_hash(BCRYPT_HASH_HANDLE hash) {
  static const SystemFunction<NTSTATUS, BCRYPT_HASH_HANDLE> destroy(
      kLibrary, "BCryptDestroyHash", kMissing);
  return destroy(hash);
}

bool ok(NTSTATUS status) { return status >= 0; }

class CngSha256 final : public Sha256 {
 public:
  CngSha256() {
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    if (!ok(open_algorithm(&algorithm))) return;
    algorithm_.reset(algorithm);
    BCRYPT_HASH_HANDLE hash = nullptr;
    if (!ok(create_hash(algorithm_.get(), &hash))) return;
    hash_.reset(hash);
  }

  void add(std::string_view bytes) override {
    // The length of each call is a ULONG, so very large inputs go in pieces.
    while (hash_ && !bytes.empty()) {
      const std::size_t piece = std::min<std::size_t>(bytes.size(), 1u << 30);
      auto* data = reinterpret_cast<PUCHAR>(const_cast<char*>(bytes.data()));
      if (!ok(hash_data(hash_.get(), data, static_cast<ULONG>(piece)))) hash_.reset();
      bytes.remove_prefix(piece);
    }
  }

  std::optional<std::string> finish() override {
    unsigned char digest[32];
    const bool finished = hash_ && ok(finish_hash(hash_.get(), digest, sizeof digest));
    hash_.reset();  // a finished hash takes nothing more
    if (!finished) return std::nullopt;
    return hex_lower(std::string_view(reinterpret_cast<const char*>(digest), sizeof digest));
  }

 private:
  ScopedOwner<BCRYPT_ALG_HANDLE, close_algorithm> algorithm_;
  ScopedOwner<BCRYPT_HASH_HANDLE, destroy_hash> hash_;
};

}  // namespace

std::unique_ptr<Sha256> system_sha256() { return std::make_unique<CngSha256>(); }

}  // namespace kestro::updater
