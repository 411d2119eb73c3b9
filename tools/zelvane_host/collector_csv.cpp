#include "collector_csv.h"

#include <charconv>
#include <cstdio>
#include <system_error>

namespace zelvane::host {
namespace {

std::string Quoted(const std::string& field) {
  if (field.find_first_of(",\"\r\n") == std::string::npos) return field;
  std::string quoted = "\"";
  for (const char c : field) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

std::string Number(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.15g", value);
  return text;
}

std::optional<double> ReadNumber(const std::string& text) {
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

}  // namespace

std::string CsvLine(const CsvRecord& record) {
  return Quoted(record.code) + "," + Quoted(record.name) + "," + Number(record.quantity) + "," +
         Number(record.price);
}

std::optional<std::vector<std::string>> SplitCsvFields(std::string_view line) {
  std::vector<std::string> fields(1);
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted) {
      if (c != '"') {
        fields.back() += c;
      } else if (i + 1 < line.size() && line[i + 1] == '"') {
        fields.back() += '"';
        ++i;
      } else {
        quoted = false;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      fields.emplace_back();
    } else if (c != '\r') {
      fields.back() += c;
    }
  }
  if (quoted) return std::nullopt;
  return fields;
}

std::optional<CsvRecord> ParseCsvLine(std::string_view line) {
  if (line.substr(0, 5) == "code,") return std::nullopt;
  const std::optional<std::vector<std::string>> fields = SplitCsvFields(line);
  if (!fields || fields->size() != 4) return std::nullopt;
  const std::optional<double> quantity = ReadNumber((*fields)[2]);
  const std::optional<double> price = ReadNumber((*fields)[3]);
  if (!quantity || !price) return std::nullopt;
  return CsvRecord{(*fields)[0], (*fields)[1], *quantity, *price};
}

}  // namespace zelvane::host
