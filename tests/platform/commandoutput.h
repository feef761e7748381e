#pragma once
// The standard output of a shell command, for tests that read files back with outside tools.

#include <cstdio>
#include <string>

inline std::string CommandOutput(const std::string& Command)
{
    std::string out;
    if (std::FILE* pipe = ::popen(Command.c_str(), "r")) {
        char buffer[512];
        while (std::fgets(buffer, sizeof buffer, pipe) != nullptr)
            out += buffer;
        ::pclose(pipe);
    }
    return out;
}
