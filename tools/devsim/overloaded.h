#pragma once

namespace zelvane::devsim {

// Lets std::visit take one lambda per alternative.
template <typename... Handlers>
struct Overloaded : Handlers... {
  using Handlers::operator()...;
};
template <typename... Handlers>
Overloaded(Handlers...) -> Overloaded<Handlers...>;

}  // namespace zelvane::devsim
