#pragma once

#include <cstdio>
#include <exception>

namespace zelvane::tools {

// Runs a program's body so that nothing thrown (in practice only running out of
// memory) ends it in an abort: it ends with a message and status 1 instead.
inline int RunGuarded(int (*program)(int, char**), int argc, char** argv) {
  try {
    return program(argc, argv);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s: %s\n", argc > 0 ? argv[0] : "", error.what());
    return 1;
  } catch (...) {
    std::fprintf(stderr, "%s: unexpected failure\n", argc > 0 ? argv[0] : "");
    return 1;
  }
}

}  // namespace zelvane::tools
