#include "base/trace.h"

#include <cstdio>

namespace kestro {

std::string failure_line(std::string_view what, std::uint32_t code) {
  char hex[16];
  std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(code));
  std::string line = "Kestro: ";
  line.append(what).append(" failed (").append(hex).append(")");
  return line;
}

std::string failure_line(std::string_view what, std::string_view detail) {
  std::string line = "Kestro: ";
  line.append(what).append(": ").append(detail);
  return line;
}

}  // namespace kestro
