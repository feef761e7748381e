// Program entry. Until the main window exists the program reads its diagnostic switches,
// reports its version and ends.
#include <cstdio>

#include "diagnostics/kvrinfoformat.h"
#include "kvr/version.h"

int main(int argc, char** argv)
{
    InfoFormatter->ParseSwitches(argc, argv);
    std::printf("Console system configuration %s\n", KVR_VERSION_TEXT);
    return 0;
}
