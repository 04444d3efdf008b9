#pragma once
// The window's own texts on screen (everything else comes translated in the report).

#include <array>

#include "i18n/text_pair.h"

namespace kestro::app::texts {

inline constexpr TextPair kCopyAll{"모두 복사", "Copy all"};
inline constexpr TextPair kViewAsAdmin{"관리자로 다시 보기", "View as administrator"};
// Names of the two icon buttons, for screen readers.
inline constexpr TextPair kMenu{"메뉴", "Menu"};
inline constexpr TextPair kRefresh{"새로 고침", "Refresh"};
inline constexpr TextPair kLoading{"PC 정보를 읽고 있습니다", "Reading this PC's details"};
inline constexpr TextPair kAdminNote{
    "디스크의 남은 수명·온도는 관리자 권한이 있어야 읽을 수 있습니다. 위의 '관리자로 다시 보기' 를 누르세요.",
    "Disk life and temperature need administrator rights. Click 'View as administrator' above."};
inline constexpr TextPair kCopiedAll{"전체 정보를 복사했습니다. 붙여 넣기 하세요.",
                                     "Copied everything. Paste it anywhere."};
inline constexpr TextPair kCopied{"복사했습니다:", "Copied:"};

// Every text above, so that each one is known to need translations.
inline constexpr auto kViewTexts = std::to_array<TextPair>(
    {kCopyAll, kViewAsAdmin, kMenu, kRefresh, kLoading, kAdminNote, kCopiedAll, kCopied});

}  // namespace kestro::app::texts
