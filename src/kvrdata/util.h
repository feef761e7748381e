#pragma once
// Byte-order reversal for the big-endian formats, and names reduced to letters and digits.

#include <cstdint>
#include <string>

namespace Kvrdata_ns {

void SwapBytes(unsigned char* Data, int Count);
int SwapInt32(int Value);
std::string AlphaNumOnly(const char* Text);

} // namespace Kvrdata_ns
