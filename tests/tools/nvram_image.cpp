// Test helper: writes the NVRAM of controller N (argument), as the control
// library reads it, raw to standard output; exits with 1 when it cannot.
// End-to-end tests compare the log tool's NVRAM log with it.
#include <cstdio>
#include <cstdlib>

#include "zandllctl.h"

int main(int argc, char** argv)
{
    if (argc != 2) return 2;
    std::uint8_t image[zan::NVRAM_SIZE] = {};
    if (initContData(0) == 0 || getNVRAMdata(std::atoi(argv[1]), image) == 0) return 1;
    (void)finContData();
    return std::fwrite(image, 1, sizeof image, stdout) == sizeof image ? 0 : 1;
}
