#pragma once

#include <atomic>
#include <mutex>
#include <string>

namespace zelvane {

// A job's last error, its code and its Polish text: the worker writes it while the
// host's thread reads it, so the text is only ever copied under the lock.
class JobError {
 public:
  int Code() const { return m_code.load(); }
  void SetCode(int code) { m_code.store(code); }

  std::string Text() const {
    const std::lock_guard<std::mutex> hold(m_lock);
    return m_text;
  }

  void Set(int code, std::string text) {
    const std::lock_guard<std::mutex> hold(m_lock);
    m_code.store(code);
    m_text = std::move(text);
  }

 private:
  std::atomic<int> m_code{0};
  mutable std::mutex m_lock;
  std::string m_text;
};

}  // namespace zelvane
