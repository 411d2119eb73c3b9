#pragma once

#include <condition_variable>
#include <mutex>

namespace zelvane {

// Who is using a collector's port. The run's own transfer and its close take turns,
// waiting for each other; a host thread's single-record load takes the port only when
// nobody uses it and never waits. A thread that already uses the port (a host
// callback called from inside a transfer) is refused like any other.
class PortUse {
 public:
  // The port while it is held; false when it was refused.
  class Claim {
   public:
    Claim() = default;
    explicit Claim(PortUse& use) : m_use(&use) {}
    Claim(Claim&& other) noexcept : m_use(other.m_use) { other.m_use = nullptr; }
    Claim(const Claim&) = delete;
    Claim& operator=(const Claim&) = delete;
    Claim& operator=(Claim&&) = delete;
    ~Claim() {
      if (m_use != nullptr) m_use->Release();
    }
    explicit operator bool() const { return m_use != nullptr; }

   private:
    PortUse* m_use = nullptr;
  };

  Claim WaitForTurn() {
    std::unique_lock<std::mutex> hold(m_lock);
    m_free.wait(hold, [this] { return !m_busy; });
    m_busy = true;
    return Claim(*this);
  }

  Claim TakeIfFree() {
    const std::lock_guard<std::mutex> hold(m_lock);
    if (m_busy) return Claim();
    m_busy = true;
    return Claim(*this);
  }

 private:
  void Release() {
    {
      const std::lock_guard<std::mutex> hold(m_lock);
      m_busy = false;
    }
    m_free.notify_all();
  }

  std::mutex m_lock;
  std::condition_variable m_free;
  bool m_busy = false;
};

}  // namespace zelvane
