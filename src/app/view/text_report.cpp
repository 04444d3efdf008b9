#include "app/view/text_report.h"

#include "base/version.h"
#include "i18n/product.h"

namespace kestro::app {

std::string value_line(const Row& row) {
  std::string line = row.label;
  // A label that ends in its own colon ("Drive C:") takes only the space.
  line.append(line.ends_with(':') ? " " : ": ").append(display_text(row));
  return line;
}

std::string plain_text_report(const Report& report) {
  std::string text = report.title;
  text.push_back('\n');
  for (const Section& section : report.sections) {
    text.append("\n[").append(section.title).append("]\n");
    for (const Row& row : section.rows) text.append(value_line(row)).push_back('\n');
  }
  text.append("\n\u2014 ").append(kProductName).append(" ").append(kVersion);
  text.append(" \u00B7 ").append(kProductPage).push_back('\n');
  return text;
}

std::string to_crlf(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16 + 1);
  for (const char c : text) {
    if (c == '\n') out.push_back('\r');
    out.push_back(c);
  }
  return out;
}

}  // namespace kestro::app
