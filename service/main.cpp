// zanservice: the monitoring service of the Zan adapters.
#include "service_frame.h"

int main()
{
    return zan::run_service_program();
}
