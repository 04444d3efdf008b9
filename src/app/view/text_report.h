#pragma once
// The report as plain text, for "Copy all", for single copied values and for `--report`.
// Everything is already translated; this only arranges lines.

#include <string>
#include <string_view>

#include "probe/report.h"

namespace kestro::app {

// Title line; per section an empty line, "[title]" and one value line per row; then an
// empty line and the product footer. Lines end with LF, including the last one.
std::string plain_text_report(const Report& report);

// One row as "label: display text", without a line end; a label that already ends with ":"
// is followed by a space alone ("Drive C: 371 GB used of 499 GB").
std::string value_line(const Row& row);

// The clipboard's line ends: every LF becomes CR LF and nothing else is touched.
std::string to_crlf(std::string_view text);

}  // namespace kestro::app
