#include "support/serial_test_support.h"

#include "platform/clock.h"
#include "platform/message_box.h"
#include "platform/threads.h"

namespace zelvane::testing {

namespace {

std::vector<std::string>& RecordedTexts() {
  static std::vector<std::string> texts;
  return texts;
}

void Record(const char* text) {
  RecordedTexts().emplace_back(text);
}

}  // namespace

MessageRecorder::MessageRecorder() {
  RecordedTexts().clear();
  platform::SetMessageHandler(&Record);
}

MessageRecorder::~MessageRecorder() {
  platform::SetMessageHandler(nullptr);
}

const std::vector<std::string>& MessageRecorder::Texts() const {
  return RecordedTexts();
}

void MessageRecorder::Clear() {
  RecordedTexts().clear();
}

DelayedCall::DelayedCall(unsigned delayMs, std::function<void()> action)
    : m_delayMs(delayMs), m_action(std::move(action)) {
  m_started = platform::ResumeThread(platform::CreateSuspendedThread(&DelayedCall::Run, this));
}

DelayedCall::~DelayedCall() {
  if (m_started) Wait(60000);
}

bool DelayedCall::Wait(unsigned limitMs) const {
  const std::uint64_t end = platform::TickMilliseconds() + limitMs;
  while (!m_done.load()) {
    if (platform::TickMilliseconds() >= end) return false;
    platform::SleepMs(1);
  }
  return true;
}

unsigned DelayedCall::Run(void* self) {
  auto* call = static_cast<DelayedCall*>(self);
  platform::SleepMs(call->m_delayMs);
  call->m_action();
  call->m_doneAt.store(platform::TickMilliseconds());
  call->m_done.store(true);
  return 0;
}

}  // namespace zelvane::testing
