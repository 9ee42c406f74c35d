// One libFuzzer target; MAVIX_FUZZ_ENTRY names the entry point it drives.
#include "FuzzEntries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    MAVIX_FUZZ_ENTRY(data, size);
    return 0;
}
