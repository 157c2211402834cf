// A link-time double of the hidapi C functions that the hidapi backend calls, serving
// simulated instruments: test programs link it instead of libhidapi.
#pragma once

#include <string>
#include <vector>

#include "core/link/hid_library.h"
#include "core/link/instrument_simulator.h"

namespace qx::test {

struct FakeHidapi {
    // Attached devices, in enumeration order (unplugged ones are not listed).
    std::vector<InstrumentSimulator*> devices;
    // hidraw lists a device once per usage pair: list every device twice.
    bool duplicateEntries = true;
    // Product strings as hidapi delivers them (wide); empty = the simulator's own.
    std::vector<std::wstring> wideProducts;
    int opens = 0;
    int closes = 0;
};

// The double's state; tests reset it.
FakeHidapi& Fake();

}  // namespace qx::test
