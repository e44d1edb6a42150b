// zancli: one management command for the Zan RAID adapters per run.
#include "frame.h"

int main(int argc, char** argv)
{
    return cli::run(argc, argv);
}
