#pragma once
// Reads a fuzz input as a script of small decisions; past its end every read gives zeros, so a
// short input still makes a whole run.
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

struct FuzzScript {
    const std::uint8_t* At;
    std::size_t Left;

    bool Done() const { return Left == 0; }
    std::uint8_t Next()
    {
        if (Left == 0)
            return 0;
        --Left;
        return *At++;
    }
    std::uint32_t Next32()
    {
        std::uint32_t V = 0;
        for (int i = 0; i < 4; ++i)
            V = V << 8 | Next();
        return V;
    }
    // A length-prefixed piece (16-bit length, cut to what is left).
    std::vector<std::uint8_t> Piece()
    {
        std::size_t N = static_cast<std::size_t>(Next()) << 8 | Next();
        if (N > Left)
            N = Left;
        std::vector<std::uint8_t> Out(At, At + N);
        At += N;
        Left -= N;
        return Out;
    }
};

// Writes the input to a file of this process (one per purpose, rewritten for every input) and
// gives its name, for code that reads what the user picked from disk.
inline std::string FuzzInputFile(const char* purpose, const std::uint8_t* data, std::size_t size)
{
    const std::string name = "/tmp/kvr-fuzz-" + std::string(purpose) + "-" + std::to_string(::getpid());
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    return name;
}
