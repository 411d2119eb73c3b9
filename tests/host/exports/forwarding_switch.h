#pragma once

namespace zelvane::testing {

// Each export test program is built twice, once against the library with the
// ForwardToOndrell switch on and once with it off; this says which one it is.
inline constexpr bool kForwarding = ZELVANE_TEST_EXPECTS_FORWARDING != 0;

}  // namespace zelvane::testing
