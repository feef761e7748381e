// Program entry. Until the main window exists the program reports its version and ends.
#include <cstdio>

#include "kvr/version.h"

int main(int, char**)
{
    std::printf("Console system configuration %s\n", KVR_VERSION_TEXT);
    return 0;
}
