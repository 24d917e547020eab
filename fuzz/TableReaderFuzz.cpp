// libFuzzer program for the table reader: build with clang and -DCORVALEN_FUZZ=ON.
#include "fuzz/TableReaderFuzzEntry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return fuzzing::runTableReader(data, size);
}
