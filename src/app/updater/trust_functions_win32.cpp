#include "app/updater/trust_functions_win32.h"

#include "base/system_library_win32.h"

namespace kestro::updater {

LONG verify_trust(HWND window, GUID* action, WINTRUST_DATA* data) {
  static const SystemFunction<LONG, HWND, GUID*, LPVOID> verify(L"wintrust.dll", "WinVerifyTrust",
                                                                TRUST_E_PROVIDER_UNKNOWN);
  return verify(window, action, data);
}

CRYPT_PROVIDER_DATA* provider_data(HANDLE state) {
  static const SystemFunction<CRYPT_PROVIDER_DATA*, HANDLE> get(
      L"wintrust.dll", "WTHelperProvDataFromStateData", nullptr);
  return get(state);
}

CRYPT_PROVIDER_SGNR* first_signer(CRYPT_PROVIDER_DATA* provider) {
  static const SystemFunction<CRYPT_PROVIDER_SGNR*, CRYPT_PROVIDER_DATA*, DWORD, BOOL, DWORD> get(
      L"wintrust.dll", "WTHelperGetProvSignerFromChain", nullptr);
  return get(provider, 0, FALSE, 0);
}

DWORD certificate_name(PCCERT_CONTEXT certificate, wchar_t* name, DWORD size) {
  static const SystemFunction<DWORD, PCCERT_CONTEXT, DWORD, DWORD, void*, LPWSTR, DWORD> get(
      L"crypt32.dll", "CertGetNameStringW", 0);
  return get(certificate, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, name, size);
}

DWORD version_info_size(const wchar_t* path) {
  static const SystemFunction<DWORD, LPCWSTR, LPDWORD> get(L"version.dll",
                                                           "GetFileVersionInfoSizeW", 0);
  DWORD ignored = 0;
  return get(path, &ignored);
}

BOOL version_info(const wchar_t* path, DWORD size, void* data) {
  static const SystemFunction<BOOL, LPCWSTR, DWORD, DWORD, LPVOID> get(
      L"version.dll", "GetFileVersionInfoW", FALSE);
  return get(path, 0, size, data);
}

BOOL version_value(const void* data, const wchar_t* key, void** value, UINT* length) {
  static const SystemFunction<BOOL, LPCVOID, LPCWSTR, LPVOID*, PUINT> get(
      L"version.dll", "VerQueryValueW", FALSE);
  return get(data, key, value, length);
}

}  // namespace kestro::updater
