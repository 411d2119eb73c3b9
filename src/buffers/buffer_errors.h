#pragma once

#include <stdexcept>

namespace zelvane {

// Raised for an index or a count that a buffer operation cannot accept: element
// access outside the buffer, a repeat count below 1, a negative search start.
class InvalidArgument : public std::invalid_argument {
 public:
  using std::invalid_argument::invalid_argument;
};

}  // namespace zelvane
