#include "devices/pricecheck/spr_lan_protocol.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#include "buffers/buffer_functions.h"
#include "devices/host_line.h"

namespace zelvane {
namespace {

constexpr const char* kStartName = "UruchomionoObslugeSprawdzarek";
constexpr const char* kStopName = "ZatrzymanieObslugiSprawdzarek";
constexpr const char* kStartedWithError = "Error <> 0";

// A start function that refused because it already runs counts as a start.
constexpr std::int32_t kAlreadyRunning = SPR_LAN_ALREADY_RUNNING;

// The text, zeros after it, 41 bytes in all; nothing here can fail.
void WriteDisplay(char* buffer, const std::string& text) {
  if (buffer == nullptr) return;
  const std::size_t length = std::min(text.size(), PriceDisplay::kMaxText);
  std::fill_n(buffer, PriceDisplay::kMaxText + 1, '\0');
  std::copy_n(text.data(), length, buffer);
}

// The exchange of the protocol that last started the service. The service's callback
// carries no context of its own, and there is one service in the process.
std::atomic<PriceExchange*> g_servedExchange{nullptr};

// The service calls this on its own thread for every scanned code. Nothing may be
// thrown back into it, and no pointer it hands over is trusted to be set.
std::int32_t SPR_LAN_CALL OnPriceRequest(std::int32_t, const char* code, char* display,
                                         std::int32_t* kind, std::int32_t* second,
                                         char* displayCopy) {
  PriceDisplay answer = NoAnswerDisplay();
  try {
    PriceExchange* exchange = g_servedExchange.load();
    if (code != nullptr && exchange != nullptr) {
      answer =
          exchange->Request(std::string_view(code, ::strnlen(code, PriceExchange::kMaxCodeLength)));
    }
  } catch (...) {
    answer = NoAnswerDisplay();
  }
  WriteDisplay(display, answer.text);
  WriteDisplay(displayCopy, answer.text);
  if (kind != nullptr) *kind = answer.kind;
  if (second != nullptr) *second = answer.second;
  return 0;
}

std::int32_t SPR_LAN_CALL OnServiceNotice() {
  return 0;
}

platform::LibraryHandle LoadServiceNextToThisLibrary() {
  const std::string path =
      platform::ThisModuleFolder() + platform::SharedLibraryFileName("spr_lan");
  return platform::LoadDynamicLibrary(path.c_str());
}

}  // namespace

ServiceLibraryAccess ServiceNextToThisLibrary() {
  return {&LoadServiceNextToThisLibrary, &platform::FindSymbol};
}

CSprLan::~CSprLan() {
  // A request that comes after this protocol is gone must not reach its exchange.
  PriceExchange* mine = &m_exchange;
  g_servedExchange.compare_exchange_strong(mine, nullptr);
}

bool CSprLan::FindFunctions() {
  if (m_library == nullptr) m_library = m_access.load();
  if (m_library == nullptr) return false;
  m_start = reinterpret_cast<SprLanStart>(m_access.find(m_library, kStartName));
  m_stop = reinterpret_cast<SprLanStop>(m_access.find(m_library, kStopName));
  return m_start != nullptr;
}

int CSprLan::Open(int) {
  m_nError = 0;
  // Once started, the library and its functions are kept for every later open.
  if (m_started == 0 && !FindFunctions()) return 0;
  m_exchange.Open();
  g_servedExchange.store(&m_exchange);
  std::int32_t status = 0;
  char message[SPR_LAN_MESSAGE_SIZE] = {};
  const std::uint8_t started =
      m_start(&status, message, &OnPriceRequest, &OnServiceNotice, &OnServiceNotice);
  if (started == 1) {
    m_started = 1;
    if (status != 0) ShowMessage(kStartedWithError);
    return 1;
  }
  if (status == kAlreadyRunning) {
    m_started = 1;
    return 1;
  }
  m_exchange.Close();
  return 0;
}

void CSprLan::Stop() {
  m_nError = 0;
  // The service's stop waits for a request in progress: end its wait first.
  m_exchange.Close();
  if (m_stop != nullptr) m_stop();
}

std::string CSprLan::TakePendingCode() {
  m_nError = 0;
  return m_exchange.TakePendingCode();
}

void CSprLan::WaitForCode(std::chrono::milliseconds limit) {
  m_exchange.WaitForCode(limit);
}

void CSprLan::InterruptCodeWait() {
  m_exchange.InterruptWait();
}

void CSprLan::OfferAnswer(const void* hostLine) {
  m_exchange.Offer(MakePriceAnswer(host_line::Code(hostLine), host_line::Name(hostLine),
                                   host_line::Price(hostLine)));
}

}  // namespace zelvane
