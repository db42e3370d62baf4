// State of the test-only fault switches, shared by both backends.
#include "platform/platform_faults.h"

namespace platform {
namespace testing {

namespace {
bool g_failCryptProvider = false;
}

void failCryptProvider(bool fail) { g_failCryptProvider = fail; }

}  // namespace testing

namespace faults {
bool cryptProviderFails() { return testing::g_failCryptProvider; }
}  // namespace faults

}  // namespace platform
