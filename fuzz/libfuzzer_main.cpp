// libFuzzer's entry point, handing each input to the entry function named by
// FUZZ_ENTRY.
#include "entries.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) { return FUZZ_ENTRY(data, size); }
