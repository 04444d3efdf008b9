#pragma once

#include <string_view>

namespace kestro {

// A user-visible text as its Korean and its English form, both static texts compiled into
// the program. The English form doubles as the catalog key.
struct TextPair {
  std::string_view ko;
  std::string_view en;
};

}  // namespace kestro
