#pragma once

#include <optional>
#include <string>

#include "zelvane.h"

namespace zelvane::host {

// The exports that the host uses, looked up in a library loaded at run time. The
// types come from the public header, so a changed signature does not compile.
struct ZelvaneApi {
  decltype(&::ScanerCreate) create = nullptr;
  decltype(&::ScanerRun) run = nullptr;
  decltype(&::ScanerBreakJob) breakJob = nullptr;
  decltype(&::ScanerDelete) deleteService = nullptr;
  decltype(&::ScanerError) error = nullptr;
  decltype(&::ScanerErrMsg) errorMessage = nullptr;
  decltype(&::ScanerSetBarCodeInfo) setBarCodeInfo = nullptr;
  decltype(&::ZelvaneSetMessageHandler) setMessageHandler = nullptr;
  decltype(&::ZelvaneSetStatusObserver) setStatusObserver = nullptr;
  decltype(&::ZelvaneRunCollector) runCollector = nullptr;
};

// Loads the library and finds every export above; nothing, with the reason in
// `error`, when the library does not load or lacks one of them. The library stays
// loaded for the rest of the process: a job's worker may still run inside it.
std::optional<ZelvaneApi> LoadZelvaneApi(const std::string& path, std::string& error);

}  // namespace zelvane::host
