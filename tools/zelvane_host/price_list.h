#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace zelvane::host {

// The host's price list for the price checkers (device 702): code, article name (code
// page 1250, as the library wants it) and unit price.
class PriceList {
 public:
  struct Article {
    std::string code;
    std::string name;
    double price = 0.0;
    bool operator==(const Article&) const = default;
  };

  // CSV text in UTF-8, one article a line: code,name,price. The name may hold commas
  // (the code ends at the first comma, the price starts after the last); spaces around
  // fields and empty lines are ignored; a first line whose price is no number is a
  // heading. The text of the first problem, with its line number, otherwise.
  static std::variant<PriceList, std::string> Parse(std::string_view csv);
  // A few articles for trying the price checker without a list of one's own.
  static PriceList Demo();

  const Article* Find(std::string_view code) const;
  const std::vector<Article>& Articles() const { return m_articles; }

 private:
  std::vector<Article> m_articles;
};

// What a simulated terminal scans: the list's first three codes and one it lacks.
std::vector<std::string> DemoScans(const PriceList& list);

// The list read from a file; nothing, with the reason in `error`, when it cannot be.
std::optional<PriceList> LoadPriceList(const std::string& path, std::string& error);

}  // namespace zelvane::host
