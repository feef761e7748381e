// Reads arbitrary bytes as the block format into a nested record (the one the library tests
// use): a "Values" group, a vector of elements, optional sub-objects, a raw stream and optional
// records of its own kind. The first byte picks the filter options (file header, CRC trailer,
// several roots) and the expected file ID.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "../tests/kvrdata/testrecords.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    using namespace kvrtest;
    if (Size == 0) {
        TNestRecord record;
        record.FromBuffer(nullptr, 0);
        return 0;
    }
    const int options = Data[0] & (boNoFileHeader | boCRC32 | boSeveralRoots);
    TMemoryStream stream(std::vector<std::uint8_t>(Data + 1, Data + Size));
    TNestRecord first;
    TNestRecord second;
    {
        TBinaryFilter filter(&stream, options);
        const char* name = (Data[0] & 0x40) ? "DPD" : "DPF";
        if (filter.Read(name, &first) < bsFatal && (options & boSeveralRoots))
            filter.Read(name, &second);
        MessageText(filter.GetWorstMessage());
    }
    // Whatever was read writes again and reads back the same.
    std::vector<std::uint8_t> bytes;
    if (first.ToVariant(bytes)) {
        TNestRecord copy;
        const auto again = bytes;
        copy.FromVariant(bytes);
        if (toBytes(copy) != again)
            __builtin_trap();
    }
    return 0;
}
