// Who gets a connection to the service: the allow list and the share of one address
// as the technician writes them, and the decision for each new connection.
#include "admission.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "allow_list.h"

namespace spr_lan {
namespace {

Ipv4 Address(const char* text) {
  return ParseIpv4(text).value_or(0);
}

TEST(AllowList, ReadsAddressesAndRangesAndRefusesAnythingElse) {
  struct Case {
    const char* text;
    bool readable;
    std::vector<const char*> admitted;
    std::vector<const char*> refused;
  };
  const std::vector<Case> cases = {
      {"", true, {"10.0.0.1", "192.168.1.5"}, {}},
      {"  ", true, {"10.0.0.1"}, {}},
      {"192.168.1.0/24,10.0.0.7",
       true,
       {"192.168.1.0", "192.168.1.255", "10.0.0.7"},
       {"192.168.2.1", "10.0.0.8", "127.0.0.1"}},
      {" 10.0.0.7 , 10.0.0.9 ", true, {"10.0.0.7", "10.0.0.9"}, {"10.0.0.8"}},
      {"192.168.1.77/24", true, {"192.168.1.1"}, {"192.168.0.1"}},
      {"10.0.0.0/8", true, {"10.255.255.255"}, {"11.0.0.0"}},
      {"0.0.0.0/0", true, {"1.2.3.4", "255.255.255.255"}, {}},
      {"172.16.0.1/32", true, {"172.16.0.1"}, {"172.16.0.0", "172.16.0.2"}},
      {"10.0.0.7,", false, {}, {}},
      {",10.0.0.7", false, {}, {}},
      {"10.0.0.256", false, {}, {}},
      {"10.0.0", false, {}, {}},
      {"10.0.0.7.1", false, {}, {}},
      {"010.0.0.7", false, {}, {}},
      {"10.0.0.7/33", false, {}, {}},
      {"10.0.0.7/", false, {}, {}},
      {"10.0.0.7/08", false, {}, {}},
      {"10.0.0.7/-1", false, {}, {}},
      {"shop.local", false, {}, {}},
      {"10.0.0.7;10.0.0.8", false, {}, {}},
      {"10.0.0.+7", false, {}, {}},
      {"::1", false, {}, {}},
  };
  for (const Case& test : cases) {
    const std::optional<AllowList> list = ParseAllowList(test.text);
    ASSERT_EQ(list.has_value(), test.readable) << test.text;
    if (!list) continue;
    for (const char* address : test.admitted)
      EXPECT_TRUE(list->Admits(Address(address))) << test.text << " admits " << address;
    for (const char* address : test.refused)
      EXPECT_FALSE(list->Admits(Address(address))) << test.text << " refuses " << address;
  }
  EXPECT_EQ(FormatIpv4(Address("192.168.1.20")), "192.168.1.20");
}

TEST(Admission, TheShareOfAnAddressAndTheLimitMakeTheOldestGiveWay) {
  const struct {
    const char* text;
    std::optional<std::size_t> share;
  } shares[] = {{"", 4},
                {"1", 1},
                {"100", 100},
                {"0", std::nullopt},
                {"101", std::nullopt},
                {"-1", std::nullopt},
                {"4 ", std::nullopt},
                {"two", std::nullopt}};
  for (const auto& test : shares)
    EXPECT_EQ(ParsePerAddressShare(test.text), test.share) << test.text;

  const Ipv4 router = Address("192.168.1.1");
  const Ipv4 terminal = Address("192.168.1.20");
  AdmissionRules shop;
  shop.allow = *ParseAllowList("192.168.1.0/24");
  shop.perAddress = 2;
  // A hundred connections, each from an address of its own: the first never scanned,
  // the second scanned before the third.
  std::vector<Seat> full;
  for (ConnectionId id = 1; id <= AdmissionRules::kMaxConnections; ++id)
    full.push_back({id, Address("10.1.0.0") + static_cast<Ipv4>(id), 1000 + id});
  full[1].lastScan = 0;
  full[2].lastScan = 5;
  struct Case {
    const char* what;
    AdmissionRules rules;
    Ipv4 peer;
    std::vector<Seat> seats;
    Admission expected;
  };
  const std::vector<Case> cases = {
      {"an address off the allow list", shop, Address("10.0.0.1"), {}, {false, std::nullopt}},
      {"room for one more", shop, router, {{1, router, 0}}, {true, std::nullopt}},
      {"an address with its share: its oldest makes way",
       shop,
       router,
       {{1, terminal, 3}, {2, router, 9}, {3, router, 0}},
       {true, 2}},
      {"every place taken: the oldest that never scanned makes way", {}, terminal, full, {true, 2}},
      {"every place taken by terminals that scanned: the least recent makes way",
       {},
       terminal,
       [&] {
         std::vector<Seat> scanned = full;
         scanned[1].lastScan = 7;
         return scanned;
       }(),
       {true, 3}},
  };
  for (const Case& test : cases)
    EXPECT_EQ(Admit(test.rules, test.peer, test.seats), test.expected) << test.what;
}

}  // namespace
}  // namespace spr_lan
