#include "price_list.h"

#include <charconv>
#include <fstream>
#include <iterator>
#include <sstream>

#include "cp1250_text.h"

namespace zelvane::host {
namespace {

std::string_view Trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

std::optional<double> Price(std::string_view text) {
  double price = 0.0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), price);
  if (error != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return price;
}

}  // namespace

std::variant<PriceList, std::string> PriceList::Parse(std::string_view csv) {
  PriceList list;
  std::size_t lineNumber = 0;
  for (std::size_t start = 0; start <= csv.size(); ++lineNumber) {
    const std::size_t end = std::min(csv.find('\n', start), csv.size());
    const std::string_view line = Trimmed(csv.substr(start, end - start));
    start = end + 1;
    if (line.empty()) continue;
    const std::string where = "line " + std::to_string(lineNumber + 1);
    const std::size_t firstComma = line.find(',');
    const std::size_t lastComma = line.rfind(',');
    if (firstComma == std::string_view::npos || firstComma == lastComma) {
      return where + ": not code,name,price";
    }
    const std::optional<double> price = Price(Trimmed(line.substr(lastComma + 1)));
    if (!price) {
      if (lineNumber == 0) continue;  // a heading
      return where + ": the price is not a number";
    }
    const std::string_view code = Trimmed(line.substr(0, firstComma));
    if (code.empty()) return where + ": no code";
    list.m_articles.push_back(
        {std::string(code),
         Utf8ToCp1250(Trimmed(line.substr(firstComma + 1, lastComma - firstComma - 1))), *price});
  }
  return list;
}

PriceList PriceList::Demo() {
  return std::get<PriceList>(
      Parse("5901234123457,Kawa ziarnista Arabica 1kg,42.99\n"
            "2000000000015,Mleko 2%,3.49\n"
            "5900000000001,Żółty ser gouda łagodny,12.50\n"));
}

const PriceList::Article* PriceList::Find(std::string_view code) const {
  for (const Article& article : m_articles) {
    if (article.code == code) return &article;
  }
  return nullptr;
}

std::vector<std::string> DemoScans(const PriceList& list) {
  std::vector<std::string> codes;
  for (const PriceList::Article& article : list.Articles()) {
    if (codes.size() == 3) break;
    codes.push_back(article.code);
  }
  std::string unknown = "0000000000000";
  while (list.Find(unknown) != nullptr) unknown += "0";
  codes.push_back(unknown);
  return codes;
}

std::optional<PriceList> LoadPriceList(const std::string& path, std::string& error) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    error = "cannot read " + path;
    return std::nullopt;
  }
  const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  std::variant<PriceList, std::string> parsed = PriceList::Parse(text);
  if (const std::string* problem = std::get_if<std::string>(&parsed)) {
    error = path + ": " + *problem;
    return std::nullopt;
  }
  return std::get<PriceList>(std::move(parsed));
}

}  // namespace zelvane::host
