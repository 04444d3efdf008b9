#include "app/menu/menu_commands.h"

#include "app/menu/menu_texts.h"
#include "i18n/product.h"
#include "i18n/translate.h"

namespace kestro::app {

void MenuCommands::open(int x, int y) {
  SettingsStore& settings = host_.settings();
  const std::vector<MenuItem> menu =
      build_context_menu(settings.read_text(kLanguageValue), settings.read_auto_update());
  run(host_.track_menu(menu, x, y));
}

void MenuCommands::run(std::uint32_t id) {
  SettingsStore& settings = host_.settings();
  if (const std::optional<std::string> language = language_for_command(id)) {
    // The language in force stays until the next start.
    settings.write_text(kLanguageValue, *language);
    host_.toast(std::string(translate(texts::kTakesEffectNextStart)));
    return;
  }
  switch (id) {
    case kCommandAutomaticUpdates:
      settings.write_number(kAutoUpdateValue, toggled_auto_update(settings.read_auto_update()));
      break;
    case kCommandCheckForUpdates: host_.check_for_updates(); break;
    case kCommandMoreApps:
      if (raised_) {
        host_.open_address_from_desktop(translate(website_link()));
      } else {
        host_.open_address(translate(website_link()));
      }
      break;
    case kCommandAbout: host_.show_information(about_caption(), about_text()); break;
    default: break;  // dismissed, or an id this menu never had
  }
}

}  // namespace kestro::app
