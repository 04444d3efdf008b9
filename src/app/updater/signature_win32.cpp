#include "app/updater/signature_win32.h"

#include <cstring>
#include <cstdint>
#include <optional>
#include <string>

#include "app/updater/held_file_win32.h"
#include "app/updater/trust_functions_win32.h"
#include "base/trace_win32.h"
#include "base/utf16_win32.h"

namespace kestro::updater {
namespace {

const HWND kNoWindow = static_cast<HWND>(INVALID_HANDLE_VALUE);

// One verification of the file through its handle; the path only names it.
struct Verification {
  Verification(HANDLE file, const std::wstring& path, DWORD revocation_checks, DWORD state_action) {
    file_.cbStruct = sizeof(file_);
    file_.pcwszFilePath = path.c_str();
    file_.hFile = file;
    data_.cbStruct = sizeof(data_);
    data_.dwUIChoice = WTD_UI_NONE;
    data_.fdwRevocationChecks = revocation_checks;
    data_.dwUnionChoice = WTD_CHOICE_FILE;
    data_.pFile = &file_;
    data_.dwStateAction = state_action;
    // Every certificate of the chain, not only the signer's, when revocation is asked.
    if (revocation_checks != WTD_REVOKE_NONE) data_.dwProvFlags = WTD_REVOCATION_CHECK_CHAIN;
  }

  LONG verify() { return verify_trust(kNoWindow, &action_, &data_); }
  LONG close() {
    data_.dwStateAction = WTD_STATEACTION_CLOSE;
    return verify_trust(kNoWindow, &action_, &data_);
  }
  HANDLE state() const { return data_.hWVTStateData; }

 private:
  GUID action_ = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  WINTRUST_FILE_INFO file_{};
  WINTRUST_DATA data_{};
};

// The signer's SpcSpOpusInfo attribute as encoded.
std::optional<std::string> opus_info(const CMSG_SIGNER_INFO* signer) {
  if (signer == nullptr) return std::nullopt;
  for (DWORD i = 0; i < signer->AuthAttrs.cAttr; ++i) {
    const CRYPT_ATTRIBUTE& attribute = signer->AuthAttrs.rgAttr[i];
    if (attribute.pszObjId != nullptr && std::strcmp(attribute.pszObjId, SPC_SP_OPUS_INFO_OBJID) == 0 &&
        attribute.cValue > 0 && attribute.rgValue != nullptr) {
      const CRYPT_ATTR_BLOB& value = attribute.rgValue[0];
      return std::string(reinterpret_cast<const char*>(value.pbData), value.cbData);
    }
  }
  return std::nullopt;
}

}  // namespace

SignatureReading read_signature(HeldFile& held_file, std::string_view path) {
  const auto* held = dynamic_cast<const HeldHandle*>(&held_file);
  if (held == nullptr) return SignatureReading{};
  const std::wstring wide_path = to_wide(path);

  SignatureReading reading;
  Verification signature(held->get(), wide_path, WTD_REVOKE_NONE, WTD_STATEACTION_VERIFY);
  reading.trust = static_cast<std::int32_t>(signature.verify());
  if (reading.trust != 0) trace_failure("WinVerifyTrust", static_cast<HRESULT>(reading.trust));
  if (reading.trust == 0) {
    CRYPT_PROVIDER_DATA* provider = provider_data(signature.state());
    CRYPT_PROVIDER_SGNR* signer = provider != nullptr ? first_signer(provider) : nullptr;
    if (signer != nullptr && signer->csCertChain > 0 && signer->pasCertChain != nullptr &&
        signer->pasCertChain[0].pCert != nullptr) {
      wchar_t name[256] = {};
      (void)certificate_name(signer->pasCertChain[0].pCert, name, 256);
      reading.signer = from_wide_up_to_nul(name, 256);
    }
    if (signer != nullptr) reading.opus_info = opus_info(signer->psSigner);
  }
  reading.close = static_cast<std::int32_t>(signature.close());

  if (reading.trust == 0) {
    // Asked apart, so that a revocation server that cannot be reached leaves the answer above
    // standing; only a certificate found revoked counts (signature.h).
    Verification revocation(held->get(), wide_path, WTD_REVOKE_WHOLECHAIN, WTD_STATEACTION_VERIFY);
    reading.revocation = static_cast<std::int32_t>(revocation.verify());
    if (*reading.revocation != 0) {
      trace_failure("WinVerifyTrust with revocation", static_cast<HRESULT>(*reading.revocation));
    }
    (void)revocation.close();
  }
  return reading;
}

}  // namespace kestro::updater
