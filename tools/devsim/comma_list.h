#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zelvane::devsim {

// The items of a command-line list: "a,b,,c" gives a, b, an empty item and c.
inline std::vector<std::string> SplitList(std::string_view list) {
  std::vector<std::string> items;
  for (std::size_t start = 0;;) {
    const std::size_t comma = list.find(',', start);
    items.emplace_back(list.substr(start, comma - start));
    if (comma == std::string_view::npos) return items;
    start = comma + 1;
  }
}

}  // namespace zelvane::devsim
