// Internal to the backends: the fault switches that tests set through
// platform::testing.
#pragma once

namespace platform {
namespace faults {
bool cryptProviderFails();
}
}  // namespace platform
