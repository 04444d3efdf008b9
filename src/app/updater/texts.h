#pragma once
// What the updater says to the user.

#include <array>
#include <string>
#include <string_view>

#include "i18n/product.h"
#include "i18n/text_pair.h"

namespace kestro::updater {

namespace texts {
inline constexpr TextPair kChecking{"업데이트 확인 중…", "Checking for updates…"};
inline constexpr TextPair kUpToDate{"최신 버전입니다", "You're up to date"};
inline constexpr TextPair kNewVersion{"새 버전이 있습니다:", "A new version is available:"};
inline constexpr TextPair kCurrent{"지금", "current"};
inline constexpr TextPair kUpdateNow{"지금 업데이트할까요?", "Update now?"};
inline constexpr TextPair kDownloading{"업데이트 받는 중…", "Downloading update…"};
inline constexpr TextPair kDownloadFailed{"다운로드하지 못했습니다", "Download failed"};
inline constexpr TextPair kSizeMismatch{"받은 파일 크기가 다릅니다", "Downloaded size mismatch"};
inline constexpr TextPair kHashMismatch{"받은 파일이 손상되었습니다 (해시 불일치)",
                                        "Downloaded file is corrupt (hash mismatch)"};
inline constexpr TextPair kUpdateFromNormalCopy{
    "업데이트하려면 Kestro를 관리자 권한 없이 여세요",
    "To update, open Kestro normally (not as administrator)"};
inline constexpr TextPair kSignatureRejected{"설치 파일의 디지털 서명을 확인할 수 없습니다",
                                             "The installer's digital signature could not be verified"};
// Every text the updater says.
inline constexpr auto kUpdaterTexts = std::to_array<TextPair>({
    kChecking, kUpToDate, kNewVersion, kCurrent, kUpdateNow, kDownloading, kDownloadFailed,
    kSizeMismatch, kHashMismatch, kUpdateFromNormalCopy, kSignatureRejected});
}  // namespace texts

// Failure texts that are never translated.
inline constexpr std::string_view kManifestRejected = "manifest";
inline constexpr std::string_view kInvalidUtf8 = "stream did not contain valid UTF-8";

// The message box caption (the product name, never translated).
inline constexpr std::string_view kPromptCaption = kProductName;

// "A new version is available: 1.2.0\n(current 0.1.0)\n\nUpdate now?" in the interface language.
std::string update_prompt_text(std::string_view new_version, std::string_view current_version);
// "You're up to date (0.1.0)" in the interface language.
std::string up_to_date_text(std::string_view current_version);

}  // namespace kestro::updater
