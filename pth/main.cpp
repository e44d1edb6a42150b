// zanpth: the pass-through diagnostic tool of the Zan RAID adapters.
#include "tool_frame.h"

int main(int argc, char** argv)
{
    return pth::run(argc, argv);
}
