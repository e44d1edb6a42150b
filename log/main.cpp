// zanlog: the log collection tool of the Zan RAID adapters.
#include "log_run.h"

int main(int argc, char** argv)
{
    return zanlog::run(argc - 1, argv + 1);
}
