#include "zelvane_api.h"

#include "library_loader.h"

namespace zelvane::host {
namespace {

template <typename Function>
bool Resolve(LibraryHandle library, const char* name, Function& slot, std::string& error) {
  slot = reinterpret_cast<Function>(FindExport(library, name));
  if (slot == nullptr) error = std::string("the library has no export ") + name;
  return slot != nullptr;
}

}  // namespace

std::optional<ZelvaneApi> LoadZelvaneApi(const std::string& path, std::string& error) {
  const LibraryHandle library = OpenLibrary(path, error);
  if (library == nullptr) return std::nullopt;
  ZelvaneApi api;
  const bool complete =
      Resolve(library, "ScanerCreate", api.create, error) &&
      Resolve(library, "ScanerRun", api.run, error) &&
      Resolve(library, "ScanerBreakJob", api.breakJob, error) &&
      Resolve(library, "ScanerDelete", api.deleteService, error) &&
      Resolve(library, "ScanerError", api.error, error) &&
      Resolve(library, "ScanerErrMsg", api.errorMessage, error) &&
      Resolve(library, "ScanerSetBarCodeInfo", api.setBarCodeInfo, error) &&
      Resolve(library, "ZelvaneSetMessageHandler", api.setMessageHandler, error) &&
      Resolve(library, "ZelvaneSetStatusObserver", api.setStatusObserver, error) &&
      Resolve(library, "ZelvaneRunCollector", api.runCollector, error);
  if (!complete) return std::nullopt;
  return api;
}

}  // namespace zelvane::host
