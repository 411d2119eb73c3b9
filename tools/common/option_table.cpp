#include "option_table.h"

#include <algorithm>

namespace zelvane::tools {

std::string OptionColumn(const char* name, const char* valueName, std::size_t width) {
  std::string column = name;
  if (valueName != nullptr) column.append(" ").append(valueName);
  column.resize(std::max(column.size() + 1, width), ' ');
  return column;
}

}  // namespace zelvane::tools
