#pragma once
// The functions of Authenticode (wintrust), certificates (crypt32) and version resources
// (version). None of these DLLs is a known DLL, so they come from the system folder on first
// use; a missing function answers as a failure.

#include <windows.h>
#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

namespace kestro::updater {

LONG verify_trust(HWND window, GUID* action, WINTRUST_DATA* data);
CRYPT_PROVIDER_DATA* provider_data(HANDLE state);
// The first signer of the verified signature.
CRYPT_PROVIDER_SGNR* first_signer(CRYPT_PROVIDER_DATA* provider);
// The certificate's simple display name into `name` (`size` units with the NUL).
DWORD certificate_name(PCCERT_CONTEXT certificate, wchar_t* name, DWORD size);

DWORD version_info_size(const wchar_t* path);
BOOL version_info(const wchar_t* path, DWORD size, void* data);
BOOL version_value(const void* data, const wchar_t* key, void** value, UINT* length);

}  // namespace kestro::updater
