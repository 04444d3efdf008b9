#pragma once
// The probe's door to WMI: sessions on a namespace, WQL queries, and every property as an
// optional trimmed text in the order it was requested.

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kestro::wmi {

using WmiValue = std::optional<std::string>;  // absent: missing, empty, unconvertible or blank
using WmiRow = std::vector<WmiValue>;         // one value per requested property, in order

// The rows a query delivered, in order. `complete` is false when the enumeration broke off
// after some rows (a failed or timed-out call for the next object): the rows are real, but a
// later one may have said otherwise.
struct WmiRows : std::vector<WmiRow> {
  using std::vector<WmiRow>::vector;
  bool complete = true;
};
using WmiResult = std::optional<WmiRows>;     // nullopt: the query did not run

using PropertyList = std::span<const std::string_view>;

// One open connection to a namespace. The COM adapter implements it on Windows; tests and
// recorded inputs implement it elsewhere.
class WmiSession {
 public:
  virtual ~WmiSession() = default;
  // Runs a complete WQL text and reads `properties` from every returned object.
  virtual WmiResult query_text(std::string_view wql, PropertyList properties) = 0;
};

// Sends "SELECT a, b FROM Class[ WHERE condition]" (only an empty condition leaves out the
// WHERE) through query_text.
WmiResult query(WmiSession& session, std::string_view class_name, PropertyList properties,
                std::string_view condition = {});

// A property's text as WMI delivered it (already converted to UTF-8), or nothing when it was
// missing, empty or not convertible: trimmed; blank becomes absent.
WmiValue make_value(std::optional<std::string> converted);

// "YYYY-MM-DD" from a CIM datetime ("20231015000000.000000+540"): the first eight characters
// must be ASCII digits; nothing else is examined.
std::optional<std::string> cim_date(const WmiValue& text);

// How the enumeration of one query went, for the rule that decides between rows and failure.
// Each object's row is added as it arrives; `finish` gives the result.
class RowCollector {
 public:
  void add(WmiRow row) { rows_.push_back(std::move(row)); }
  // Next() returned no object: `failed` when its status was an error.
  WmiResult finish(bool failed) &&;

 private:
  WmiRows rows_;
};

}  // namespace kestro::wmi
