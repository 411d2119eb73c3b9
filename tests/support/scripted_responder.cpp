#include "support/scripted_responder.h"

#include "platform/clock.h"
#include "platform/threads.h"

namespace zelvane::testing {
namespace {

// Reads are made in slices this long, so that a stop is seen quickly.
constexpr int kReadSliceMs = 20;

}  // namespace

ScriptedResponder::ScriptedResponder(PtyDevice& device, std::vector<Step> script, Step idle)
    : m_device(device),
      m_script(std::move(script)),
      m_idle(std::move(idle)),
      m_thread(std::make_unique<DelayedCall>(0, [this] { Play(); })) {}

ScriptedResponder::~ScriptedResponder() {
  m_stop.store(true);
  m_thread.reset();
}

template <typename Condition>
bool ScriptedResponder::WaitUntil(Condition reached, unsigned limitMs) const {
  const std::uint64_t end = platform::TickMilliseconds() + limitMs;
  while (!reached()) {
    if (platform::TickMilliseconds() >= end) return false;
    platform::SleepMs(2);
  }
  return true;
}

bool ScriptedResponder::WaitForSteps(std::size_t count, unsigned limitMs) const {
  return WaitUntil([&] { return m_played.load() >= count; }, limitMs);
}

bool ScriptedResponder::WaitForReceived(std::size_t count, unsigned limitMs) const {
  return WaitUntil([&] { return Received().size() >= count; }, limitMs);
}

std::string ScriptedResponder::Received() const {
  std::lock_guard<std::mutex> hold(m_lock);
  return m_received;
}

std::vector<std::string> ScriptedResponder::Mismatches() const {
  std::lock_guard<std::mutex> hold(m_lock);
  return m_mismatches;
}

bool ScriptedResponder::ReadBytes(std::size_t count, std::string& bytes) {
  bytes.clear();
  while (bytes.size() < count) {
    if (m_stop.load()) return false;
    const std::string chunk = m_device.Read(count - bytes.size(), kReadSliceMs);
    bytes += chunk;
    std::lock_guard<std::mutex> hold(m_lock);
    m_received += chunk;
  }
  return true;
}

void ScriptedResponder::Play() {
  std::string request;
  for (const Step& step : m_script) {
    if (!ReadBytes(step.request.size(), request)) return;
    if (request != step.request) {
      std::lock_guard<std::mutex> hold(m_lock);
      m_mismatches.push_back("step " + std::to_string(m_played.load()) + ": got " + request);
    }
    m_device.Write(step.answer);
    m_played.fetch_add(1);
  }
  while (ReadBytes(1, request)) {
    if (!m_idle.request.empty() && request == m_idle.request) {
      m_device.Write(m_idle.answer);
      m_idleAnswers.fetch_add(1);
    }
  }
}

}  // namespace zelvane::testing
