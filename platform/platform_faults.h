// Internal to the backends: the fault switches that tests set through
// platform::testing.
#pragma once

#include <cstdint>

namespace platform {
namespace faults {
bool cryptProviderFails();
uint32_t ansiCodePageOverride();  // 0 when not overridden
}
}  // namespace platform
