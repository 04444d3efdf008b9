#pragma once
// The window's own texts (everything else on screen comes translated in the report).

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

// The context menu and the About box.
inline constexpr TextPair kLanguage{"언어", "Language"};
inline constexpr TextPair kFollowWindows{"Windows 언어 따라가기", "Follow Windows"};
inline constexpr TextPair kAutomaticUpdates{"자동 업데이트", "Automatic updates"};
inline constexpr TextPair kCheckForUpdates{"업데이트 확인", "Check for updates"};
inline constexpr TextPair kMoreApps{"Lumwerk 의 다른 프로그램", "More apps from Lumwerk"};
inline constexpr TextPair kAbout{"Kestro 정보", "About Kestro"};
inline constexpr TextPair kAboutDescription{
    "내 PC 의 사양과 상태를 한 화면에 보여 주는 무료 프로그램",
    "A free app that shows your PC's specs and health on one screen"};
inline constexpr TextPair kTakesEffectNextStart{"다음에 열 때 바뀝니다",
                                                "Takes effect the next time Kestro opens"};

}  // namespace kestro::app::texts
