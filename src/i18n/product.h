#pragma once
// The product's name and the maker's addresses, shared by the window, the About box, the menu
// links, the settings, the updater and the catalogs.

#include <array>
#include <cstddef>
#include <string_view>

#include "i18n/text_pair.h"

namespace kestro {

// The product's name: the window title, the report's footer, the settings key, the updater's
// folder and installer names. Never translated.
inline constexpr std::string_view kProductName = "Kestro";

// The maker's website root. Every page address of the maker is built from it.
inline constexpr std::string_view kWebsiteRoot = "https://lumwerk.example/";

namespace detail {

// Compile-time concatenation of string_view constants into static storage, so the derived
// addresses are static texts that stay valid for the whole process (as TextPair requires).
template <const std::string_view&... Parts>
struct JoinedText {
  static constexpr auto storage = [] {
    std::array<char, (Parts.size() + ... + 0) + 1> chars{};
    std::size_t at = 0;
    ((Parts.copy(chars.data() + at, Parts.size()), at += Parts.size()), ...);
    return chars;
  }();
  static constexpr std::string_view value{storage.data(), storage.size() - 1};
};

inline constexpr std::string_view kSlash = "/";
inline constexpr std::string_view kKoreanSegment = "ko/";
inline constexpr std::string_view kProductSegment = JoinedText<kProductName, kSlash>::value;

}  // namespace detail

// String constants joined at compile time, as static texts.
template <const std::string_view&... Parts>
inline constexpr std::string_view joined_text = detail::JoinedText<Parts...>::value;

// The product's page on the maker's website.
inline constexpr std::string_view kProductPage =
    detail::JoinedText<kWebsiteRoot, detail::kProductSegment>::value;

// The maker's website in the interface language: the Korean page for Korean, the root page as
// the English form and catalog key (the catalogs map it to their own language's page).
inline constexpr TextPair website_link() {
  return TextPair{detail::JoinedText<kWebsiteRoot, detail::kKoreanSegment>::value, kWebsiteRoot};
}

// The product's texts the catalogs translate.
inline constexpr std::array<TextPair, 1> kProductTexts = {website_link()};

}  // namespace kestro
