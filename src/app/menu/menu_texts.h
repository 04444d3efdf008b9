#pragma once
// The texts of the context menu and the About box.

#include <array>

#include "i18n/text_pair.h"

namespace kestro::app::texts {

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
// Every text of the menu and the About box.
inline constexpr auto kMenuTexts = std::to_array<TextPair>({
    kLanguage, kFollowWindows, kAutomaticUpdates, kCheckForUpdates, kMoreApps, kAbout,
    kAboutDescription, kTakesEffectNextStart});

}  // namespace kestro::app::texts
