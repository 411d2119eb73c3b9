// The service library's two exported functions. The host calls them on its own
// thread; nothing is thrown back at it.
#include <algorithm>
#include <cstring>
#include <mutex>
#include <new>

#include "listen_address.h"
#include "price_check_service.h"
#include "sockets.h"
#include "spr_lan.h"

namespace {

constexpr const char* kListenVariable = "ZELVANE_PRICECHECK_LISTEN";

std::mutex g_startStop;

// Never destroyed: a host that ends without stopping the service must not wait for
// (or abort on) its threads while the process exits.
spr_lan::PriceCheckService& TheService() {
  static auto* service = new spr_lan::PriceCheckService();
  return *service;
}

void Report(std::int32_t* status, char* message, std::int32_t value, const std::string& text) {
  if (status != nullptr) *status = value;
  if (message != nullptr) {
    const std::size_t length = std::min<std::size_t>(text.size(), SPR_LAN_MESSAGE_SIZE - 1);
    std::memcpy(message, text.data(), length);
    message[length] = '\0';
  }
}

}  // namespace

extern "C" {

SPR_LAN_API uint8_t SPR_LAN_START_CALL UruchomionoObslugeSprawdzarek(
    int32_t* status, char* message, SprLanPriceRequest priceRequest, SprLanNotify, SprLanNotify) {
  try {
    const std::lock_guard<std::mutex> hold(g_startStop);
    const std::string setting = spr_lan::net::ReadEnvironment(kListenVariable);
    const std::optional<spr_lan::ListenAddress> address = spr_lan::ParseListenAddress(setting);
    if (!address) {
      Report(status, message, SPR_LAN_BAD_ADDRESS,
             std::string(kListenVariable) + " is not host:port: " + setting);
      return 0;
    }
    const spr_lan::PriceCheckService::Outcome outcome = TheService().Start(*address, priceRequest);
    Report(status, message, outcome.status, outcome.message);
    return outcome.status == SPR_LAN_LISTENING ? 1 : 0;
  } catch (...) {
    Report(status, message, SPR_LAN_NO_RESOURCES, "out of memory");
    return 0;
  }
}

SPR_LAN_API void SPR_LAN_CALL ZatrzymanieObslugiSprawdzarek(void) {
  try {
    const std::lock_guard<std::mutex> hold(g_startStop);
    TheService().Stop();
  } catch (...) {
    // Only the lock can throw; a service that cannot be stopped keeps running.
  }
}

}  // extern "C"
