// Replaces the global operator new for this program and counts its calls.
#pragma once

namespace qx::bench {

long AllocationCount();

}  // namespace qx::bench
