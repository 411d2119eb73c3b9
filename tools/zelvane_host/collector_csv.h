#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zelvane::host {

// One article line of the command-line host's CSV files: "code,name,quantity,price",
// UTF-8. A field holding a comma, a quote or a line break is quoted, quotes doubled.
struct CsvRecord {
  std::string code;
  std::string name;
  double quantity = 0;
  double price = 0;
  bool operator==(const CsvRecord&) const = default;
};

std::string CsvLine(const CsvRecord& record);

// The record of one line (without its line break); nothing for a line that does not
// have four fields or whose numbers do not read whole. A first line "code,name,..."
// is a header and gives nothing too.
std::optional<CsvRecord> ParseCsvLine(std::string_view line);

// The fields of one line, quotes removed; nothing for an unterminated quote.
std::optional<std::vector<std::string>> SplitCsvFields(std::string_view line);

inline constexpr const char* kCsvHeader = "code,name,quantity,price";

}  // namespace zelvane::host
