#include "app/updater/system_error.h"

#include "base/text.h"

namespace kestro::updater {

std::string system_error_text(std::string_view message, std::uint32_t code) {
  std::string text = normalize_spaces(message);
  if (!text.empty()) text += ' ';
  text += "(os error ";
  text += std::to_string(code);
  text += ')';
  return text;
}

}  // namespace kestro::updater
