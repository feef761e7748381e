#include "kvrdata/util.h"

#include <cstring>
#include <utility>

namespace Kvrdata_ns {

void SwapBytes(unsigned char* Data, int Count)
{
    for (int i = 0; i < Count / 2; ++i)
        std::swap(Data[i], Data[Count - 1 - i]);
}

int SwapInt32(int Value)
{
    unsigned char bytes[4];
    std::memcpy(bytes, &Value, 4);
    SwapBytes(bytes, 4);
    int result;
    std::memcpy(&result, bytes, 4);
    return result;
}

std::string AlphaNumOnly(const char* Text)
{
    std::string result;
    for (const char* p = Text; p && *p; ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))
            result.push_back(static_cast<char>(c));
    }
    return result;
}

} // namespace Kvrdata_ns
