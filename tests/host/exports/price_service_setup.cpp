#include "host/exports/price_service_setup.h"

#include <cstdlib>
#include <filesystem>

#include "sockets.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace zelvane::testing {

std::uint16_t FreeLoopbackPort() {
  if (!spr_lan::net::StartSockets()) return 0;
  std::string error;
  const spr_lan::net::Socket probe = spr_lan::net::OpenListener({"127.0.0.1", 0}, error);
  const std::uint16_t port = spr_lan::net::LocalPort(probe);
  spr_lan::net::CloseSocket(probe);
  return port;
}

void SetServiceAddress(const std::string& hostAndPort) {
#if defined(_WIN32)
  ::SetEnvironmentVariableA("ZELVANE_PRICECHECK_LISTEN", hostAndPort.c_str());
#else
  ::setenv("ZELVANE_PRICECHECK_LISTEN", hostAndPort.c_str(), 1);
#endif
}

platform::LibraryHandle LoadLibraryCopyWithoutService(const char* libraryStem, std::string& error) {
  namespace fs = std::filesystem;
  std::error_code failed;
  const fs::path folder = fs::path(platform::ThisModuleFolder());
  const fs::path copyFolder = fs::temp_directory_path(failed) /
                              ("zelvane-no-service-" + std::to_string(FreeLoopbackPort()));
  fs::create_directories(copyFolder, failed);
  // Another name, so that the system does not take it for the library already loaded.
  const fs::path copy = copyFolder / platform::SharedLibraryFileName("zelvane_alone");
  fs::copy_file(folder / platform::SharedLibraryFileName(libraryStem), copy,
                fs::copy_options::overwrite_existing, failed);
  if (failed) {
    error = "cannot copy the library: " + failed.message();
    return nullptr;
  }
  platform::LibraryHandle library = platform::LoadDynamicLibrary(copy.string().c_str());
  if (library == nullptr) error = "cannot load " + copy.string();
  return library;
}

}  // namespace zelvane::testing
