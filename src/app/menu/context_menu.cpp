#include "app/menu/context_menu.h"

#include "app/menu/menu_texts.h"
#include "base/version.h"
#include "i18n/language.h"
#include "i18n/product.h"
#include "i18n/translate.h"

namespace kestro::app {
namespace {

MenuItem command(const TextPair& text, std::uint32_t id, bool checked = false) {
  return MenuItem{MenuItem::Kind::Command, std::string(translate(text)), id, checked, {}};
}

}  // namespace

std::vector<MenuItem> build_context_menu(const std::optional<std::string>& stored_language,
                                         std::optional<std::uint32_t> auto_update) {
  MenuItem languages{MenuItem::Kind::Submenu, std::string(translate(texts::kLanguage)), 0, false, {}};
  languages.items.push_back(command(texts::kFollowWindows, kCommandFollowWindows,
                                    !stored_language || stored_language->empty()));
  languages.items.push_back(MenuItem{MenuItem::Kind::Separator, {}, 0, false, {}});
  std::uint32_t id = kCommandFirstLanguage;
  for (const LanguageRow& row : language_table()) {
    languages.items.push_back(MenuItem{MenuItem::Kind::Command, std::string(row.own_name), id++,
                                       stored_language == row.code, {}});
  }

  std::vector<MenuItem> menu;
  menu.push_back(std::move(languages));
  // On unless stored as 0; the toggle stores the opposite of this mark.
  menu.push_back(command(texts::kAutomaticUpdates, kCommandAutomaticUpdates,
                         !auto_update || *auto_update != 0));
  menu.push_back(command(texts::kCheckForUpdates, kCommandCheckForUpdates));
  menu.push_back(command(texts::kMoreApps, kCommandMoreApps));
  menu.push_back(command(texts::kAbout, kCommandAbout));
  return menu;
}

std::optional<std::string> language_for_command(std::uint32_t id) {
  if (id == kCommandFollowWindows) return std::string();
  const auto& table = language_table();
  if (id >= kCommandFirstLanguage && id - kCommandFirstLanguage < table.size()) {
    return std::string(table[id - kCommandFirstLanguage].code);
  }
  return std::nullopt;
}

std::string about_caption() { return std::string(translate(texts::kAbout)); }

std::string about_text() {
  std::string text(kProductName);
  text += ' ';
  text.append(kVersion).append("\n\n");
  text.append(translate(texts::kAboutDescription)).append("\n\n");
  text.append(kProductPage).append("\n");
  text.append("\u00A9 2026 Lumwerk");
  return text;
}

}  // namespace kestro::app
