#include "jobs/run_state.h"

namespace zelvane {
namespace {

std::int32_t Load(const std::int32_t& word) {
  return std::atomic_ref<std::int32_t>(const_cast<std::int32_t&>(word)).load();
}

void Store(std::int32_t& word, std::int32_t value) {
  std::atomic_ref<std::int32_t>(word).store(value);
}

}  // namespace

void RunState::StoreRequest(const RunRequest& request, bool withStatusCallback) {
  Store(m_request.device, request.device);
  Store(m_request.port, request.port);
  Store(m_request.baud, request.baud);
  for (int i = 0; i < 6; ++i) Store(m_request.unused[i], request.unused[i]);
  const StatusCallback statusCallback = withStatusCallback ? request.status_callback : nullptr;
  m_request.status_callback = statusCallback;
  m_statusCallback.store(statusCallback);
}

std::int32_t RunState::PortNumber() const {
  return Load(m_request.port);
}

}  // namespace zelvane
