// The message file "Err.Err" is replaceable text beside the program, and error blocks come from
// devices: parsing any file, formatting any line and decoding any block must stay in bounds.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "diagnostics/errmessages.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const int p1 = size > 0 ? static_cast<int>(data[0]) << 8 | (size > 1 ? data[1] : 0) : 0;
    const int p2 = size > 2 ? static_cast<int>(data[2]) : -1;
    for (const auto& [code, line] : ErrorMessages::ParseMessageText(text))
        (void)ErrorMessages::FormatMessageLine(line, p1, p2 ^ static_cast<int>(code));
    (void)ErrorMessages::FormatMessageLine(text, p1, p2);

    // The same bytes as an error block without a message file: ID, then data.
    static ErrorMessages noFile("/nonexistent-kvr-folder/");
    if (size >= 4) {
        const std::uint32_t id = static_cast<std::uint32_t>(data[0]) << 24 | static_cast<std::uint32_t>(data[1]) << 16 |
                                 static_cast<std::uint32_t>(data[2]) << 8 | data[3];
        (void)noFile.CB2ErrorString(id, std::span<const std::uint8_t>(data + 4, size - 4));
    }
    return 0;
}
