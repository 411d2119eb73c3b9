#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "support/pty_device.h"
#include "support/serial_test_support.h"

namespace zelvane::testing {

// Plays a device that answers what the library sends, on a thread of its own: each
// step waits for its request bytes, then sends its answer. Once the script is played,
// every byte that equals the idle request is answered with the idle answer (a scale
// that keeps saying it is not ready) and anything else is read and dropped.
class ScriptedResponder {
 public:
  struct Step {
    std::string request;  // empty: the answer goes out at once
    std::string answer;
  };

  ScriptedResponder(PtyDevice& device, std::vector<Step> script, Step idle = {});
  // Stops playing and waits for the thread.
  ~ScriptedResponder();
  ScriptedResponder(const ScriptedResponder&) = delete;
  ScriptedResponder& operator=(const ScriptedResponder&) = delete;

  // Waits (sleeping) until so many steps were played, or so many bytes received; false
  // after `limitMs`.
  bool WaitForSteps(std::size_t count, unsigned limitMs = 10000) const;
  bool WaitForReceived(std::size_t count, unsigned limitMs) const;
  std::size_t StepsPlayed() const { return m_played.load(); }
  // How many idle requests were answered.
  std::size_t IdleAnswers() const { return m_idleAnswers.load(); }
  // Every byte the library sent, in order.
  std::string Received() const;
  // The requests that came otherwise than the script expected them.
  std::vector<std::string> Mismatches() const;

 private:
  template <typename Condition>
  bool WaitUntil(Condition reached, unsigned limitMs) const;
  void Play();
  // Reads exactly `count` bytes; false when stopped first.
  bool ReadBytes(std::size_t count, std::string& bytes);

  PtyDevice& m_device;
  const std::vector<Step> m_script;
  const Step m_idle;
  std::atomic<bool> m_stop{false};
  std::atomic<std::size_t> m_played{0};
  std::atomic<std::size_t> m_idleAnswers{0};
  mutable std::mutex m_lock;
  std::string m_received;
  std::vector<std::string> m_mismatches;
  // Last: the thread starts once everything it uses is built.
  std::unique_ptr<DelayedCall> m_thread;
};

}  // namespace zelvane::testing
