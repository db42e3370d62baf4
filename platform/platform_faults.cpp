// State of the test-only fault switches, shared by both backends.
#include "platform/platform_faults.h"

namespace platform {
namespace testing {

namespace {
bool g_failCryptProvider = false;
uint32_t g_ansiCodePage = 0;
}  // namespace

void failCryptProvider(bool fail) { g_failCryptProvider = fail; }

void overrideAnsiCodePage(uint32_t codePage) { g_ansiCodePage = codePage; }

}  // namespace testing

namespace faults {
bool cryptProviderFails() { return testing::g_failCryptProvider; }
uint32_t ansiCodePageOverride() { return testing::g_ansiCodePage; }
}  // namespace faults

}  // namespace platform
