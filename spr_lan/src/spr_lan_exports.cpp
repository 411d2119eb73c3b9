// The service library's two exported functions. The host calls them on its own
// thread; nothing is thrown back at it.
#include <algorithm>
#include <cstring>
#include <mutex>
#include <new>
#include <optional>
#include <string>
#include <variant>

#include "admission.h"
#include "allow_list.h"
#include "listen_address.h"
#include "price_check_service.h"
#include "sockets.h"
#include "spr_lan.h"

namespace {

constexpr const char* kListenVariable = "ZELVANE_PRICECHECK_LISTEN";
constexpr const char* kAllowVariable = "ZELVANE_PRICECHECK_ALLOW";
constexpr const char* kPerAddressVariable = "ZELVANE_PRICECHECK_PER_ADDRESS";

std::mutex g_startStop;

// Never destroyed: a host that ends without stopping the service must not wait for
// (or abort on) its threads while the process exits.
spr_lan::PriceCheckService& TheService() {
  static auto* service = new spr_lan::PriceCheckService();
  return *service;
}

struct Settings {
  spr_lan::ListenAddress address;
  spr_lan::AdmissionRules admission;
};

// The environment's settings, read at every start; a setting that cannot be read
// refuses the start rather than let in more terminals than were meant.
std::variant<Settings, spr_lan::PriceCheckService::Outcome> ReadSettings() {
  const auto bad = [](std::int32_t status, const char* variable, const std::string& value,
                      const char* expected) {
    return spr_lan::PriceCheckService::Outcome{
        status, std::string(variable) + " is not " + expected + ": " + value};
  };
  Settings settings;
  const std::string listen = spr_lan::net::ReadEnvironment(kListenVariable);
  const std::optional<spr_lan::ListenAddress> address = spr_lan::ParseListenAddress(listen);
  if (!address) return bad(SPR_LAN_BAD_ADDRESS, kListenVariable, listen, "host:port");
  settings.address = *address;
  const std::string allow = spr_lan::net::ReadEnvironment(kAllowVariable);
  std::optional<spr_lan::AllowList> allowList = spr_lan::ParseAllowList(allow);
  if (!allowList) {
    return bad(SPR_LAN_BAD_ADMISSION, kAllowVariable, allow, "a list of IPv4 addresses and ranges");
  }
  settings.admission.allow = std::move(*allowList);
  const std::string perAddress = spr_lan::net::ReadEnvironment(kPerAddressVariable);
  const std::optional<std::size_t> share = spr_lan::ParsePerAddressShare(perAddress);
  if (!share) return bad(SPR_LAN_BAD_ADMISSION, kPerAddressVariable, perAddress, "1 to 100");
  settings.admission.perAddress = *share;
  return settings;
}

spr_lan::PriceCheckService::Outcome StartService(SprLanPriceRequest priceRequest) {
  std::variant<Settings, spr_lan::PriceCheckService::Outcome> settings = ReadSettings();
  if (const auto* refused = std::get_if<spr_lan::PriceCheckService::Outcome>(&settings))
    return *refused;
  Settings& read = std::get<Settings>(settings);
  return TheService().Start(read.address, priceRequest, std::move(read.admission));
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
    const spr_lan::PriceCheckService::Outcome outcome = StartService(priceRequest);
    Report(status, message, outcome.status, outcome.message);
    // The host shows none of this: the technician finds the reason in the trace.
    if (outcome.status != SPR_LAN_LISTENING && outcome.status != SPR_LAN_ALREADY_RUNNING) {
      TheService().Trace().Write("the service did not start: " + outcome.message);
    }
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
