#include "app/updater/texts.h"

#include "i18n/translate.h"

namespace kestro::updater {

std::string update_prompt_text(std::string_view new_version, std::string_view current_version) {
  std::string text(translate(texts::kNewVersion));
  text += ' ';
  text += new_version;
  text += "\n(";
  text += translate(texts::kCurrent);
  text += ' ';
  text += current_version;
  text += ")\n\n";
  text += translate(texts::kUpdateNow);
  return text;
}

std::string up_to_date_text(std::string_view current_version) {
  std::string text(translate(texts::kUpToDate));
  text += " (";
  text += current_version;
  text += ')';
  return text;
}

}  // namespace kestro::updater
