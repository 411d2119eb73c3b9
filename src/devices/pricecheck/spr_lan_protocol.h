#pragma once

#include <chrono>
#include <string>

#include "devices/pricecheck/price_exchange.h"
#include "platform/dynamic_library.h"
#include "protocol/veduvezid_ecr.h"
#include "spr_lan.h"

namespace zelvane {

// How the price-checker service library is reached: loaded (once) and its functions
// looked up. Replaceable so that the service's answers can be played without one.
struct ServiceLibraryAccess {
  platform::LibraryHandle (*load)();
  void* (*find)(platform::LibraryHandle library, const char* name);
};

// The service library beside the Zelvane library: libspr_lan.so, or spr_lan.dll.
ServiceLibraryAccess ServiceNextToThisLibrary();

// The price checkers' side of the device: starts and stops the service library that
// talks to the terminals, and carries the scanned codes and the host's answers
// through the exchange it is given. No port is involved.
class CSprLan : public CVeduvezidECR {
 public:
  explicit CSprLan(PriceExchange& exchange) : m_exchange(exchange) {}
  CSprLan(const CSprLan&) = delete;
  CSprLan& operator=(const CSprLan&) = delete;
  ~CSprLan() override;

  // How the library is reached; takes effect at the next load.
  void UseLibraryAccess(ServiceLibraryAccess access) { m_access = access; }

  // Starts the service, loading the library and looking its functions up the first
  // time. 1 when the service runs; 0 (error 0) when it is missing or refused.
  int Open(int port) override;
  int Open(int port, int) override { return Open(port); }

  // Stops the service; waiting requests end at once. The library stays loaded.
  void Stop();

  // The code scanned at a terminal that waits to be taken, cut to 20 characters;
  // empty when none waits.
  std::string TakePendingCode();

  // Waits, at most `limit`, until a scanned code waits to be taken or the wait is
  // interrupted.
  void WaitForCode(std::chrono::milliseconds limit);
  void InterruptCodeWait();

  // The host's answer for the waiting request: its article line's code, name, price.
  void OfferAnswer(const void* hostLine);

  bool IsLoaded() const { return m_library != nullptr; }
  int IsStarted() const { return m_started; }

 private:
  bool FindFunctions();

  PriceExchange& m_exchange;
  ServiceLibraryAccess m_access = ServiceNextToThisLibrary();
  platform::LibraryHandle m_library = nullptr;
  int m_started = 0;
  SprLanStart m_start = nullptr;
  SprLanStop m_stop = nullptr;
};

}  // namespace zelvane
